// RAII owners for platform handles: every key and file handle is closed on
// every path out of the step that opened it.
#pragma once

#include <utility>

#include "common/platform/platform.h"

namespace plat {

class UniqueRegKey {
public:
    UniqueRegKey() = default;
    explicit UniqueRegKey(HKEY key) : m_hKey(key) {}
    ~UniqueRegKey() { Reset(); }
    UniqueRegKey(UniqueRegKey&& other) noexcept : m_hKey(std::exchange(other.m_hKey, nullptr)) {}
    UniqueRegKey& operator=(UniqueRegKey&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_hKey = std::exchange(other.m_hKey, nullptr);
        }
        return *this;
    }
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;

    HKEY Get() const { return m_hKey; }
    explicit operator bool() const { return m_hKey != nullptr; }
    // For the out-parameter of an open or create call; closes what was held.
    HKEY* Receive()
    {
        Reset();
        return &m_hKey;
    }
    void Reset()
    {
        if (m_hKey != nullptr) P().RegCloseKey(std::exchange(m_hKey, nullptr));
    }

private:
    HKEY m_hKey = nullptr;
};

class UniqueFile {
public:
    UniqueFile() = default;
    explicit UniqueFile(HANDLE file) : m_hFile(file) {}
    ~UniqueFile() { Reset(); }
    UniqueFile(UniqueFile&& other) noexcept : m_hFile(std::exchange(other.m_hFile, INVALID_HANDLE_VALUE)) {}
    UniqueFile& operator=(UniqueFile&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_hFile = std::exchange(other.m_hFile, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;

    HANDLE Get() const { return m_hFile; }
    bool Valid() const { return m_hFile != INVALID_HANDLE_VALUE && m_hFile != nullptr; }
    void Reset()
    {
        if (Valid()) P().CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};

}  // namespace plat
