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

// Any other kernel handle that is closed with CloseHandle, such as a token.
using UniqueHandle = UniqueFile;

// ---- system-file verification ----
// A library loaded with LoadLibraryW, freed with FreeLibrary.
class UniqueLibrary {
public:
    explicit UniqueLibrary(HMODULE module) : m_hModule(module) {}
    ~UniqueLibrary()
    {
        if (m_hModule != nullptr) P().FreeLibrary(m_hModule);
    }
    UniqueLibrary(const UniqueLibrary&) = delete;
    UniqueLibrary& operator=(const UniqueLibrary&) = delete;

    HMODULE Get() const { return m_hModule; }
    explicit operator bool() const { return m_hModule != nullptr; }

private:
    HMODULE m_hModule;
};
// ---- end of system-file verification ----

// ---- system-file repair: service and find handles ----

// A handle of the service control manager or of one service.
class UniqueServiceHandle {
public:
    UniqueServiceHandle() = default;
    explicit UniqueServiceHandle(SC_HANDLE handle) : m_hService(handle) {}
    ~UniqueServiceHandle() { Reset(); }
    UniqueServiceHandle(UniqueServiceHandle&& other) noexcept : m_hService(std::exchange(other.m_hService, nullptr)) {}
    UniqueServiceHandle& operator=(UniqueServiceHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_hService = std::exchange(other.m_hService, nullptr);
        }
        return *this;
    }
    UniqueServiceHandle(const UniqueServiceHandle&) = delete;
    UniqueServiceHandle& operator=(const UniqueServiceHandle&) = delete;

    SC_HANDLE Get() const { return m_hService; }
    explicit operator bool() const { return m_hService != nullptr; }
    void Reset()
    {
        if (m_hService != nullptr) P().CloseServiceHandle(std::exchange(m_hService, nullptr));
    }

private:
    SC_HANDLE m_hService = nullptr;
};

// A FindFirstFileW search, closed with FindClose.
class UniqueFindHandle {
public:
    UniqueFindHandle() = default;
    explicit UniqueFindHandle(HANDLE find) : m_hFind(find) {}
    ~UniqueFindHandle() { Reset(); }
    UniqueFindHandle(UniqueFindHandle&& other) noexcept : m_hFind(std::exchange(other.m_hFind, INVALID_HANDLE_VALUE)) {}
    UniqueFindHandle& operator=(UniqueFindHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_hFind = std::exchange(other.m_hFind, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    UniqueFindHandle(const UniqueFindHandle&) = delete;
    UniqueFindHandle& operator=(const UniqueFindHandle&) = delete;

    HANDLE Get() const { return m_hFind; }
    bool Valid() const { return m_hFind != INVALID_HANDLE_VALUE && m_hFind != nullptr; }
    void Reset()
    {
        if (Valid()) P().FindClose(m_hFind);
        m_hFind = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_hFind = INVALID_HANDLE_VALUE;
};

// ---- end of system-file repair ----

}  // namespace plat
