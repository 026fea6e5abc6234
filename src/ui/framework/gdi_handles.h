// Owners for the icons, bitmaps, brushes and fonts the dialogs make.
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

template <class H, BOOL (*Free)(H)>
class UniqueGdi {
public:
    UniqueGdi() = default;
    explicit UniqueGdi(H handle) : m_handle(handle) {}
    ~UniqueGdi() { Reset(); }
    UniqueGdi(UniqueGdi&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    UniqueGdi& operator=(UniqueGdi&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;

    H Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(H handle = nullptr)
    {
        if (m_handle != nullptr) Free(m_handle);
        m_handle = handle;
    }

private:
    H m_handle = nullptr;
};

inline BOOL FreeIcon(HICON icon) { return ::DestroyIcon(icon); }
template <class H>
BOOL FreeGdiObject(H object)
{
    return ::DeleteObject(object);
}

using UniqueIcon = UniqueGdi<HICON, &FreeIcon>;
using UniqueBitmap = UniqueGdi<HBITMAP, &FreeGdiObject<HBITMAP>>;
using UniqueBrush = UniqueGdi<HBRUSH, &FreeGdiObject<HBRUSH>>;
using UniqueFont = UniqueGdi<HFONT, &FreeGdiObject<HFONT>>;

// Selects an object into a device context for one scope and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_hDC(dc), m_hPrevious(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (m_hPrevious != nullptr) ::SelectObject(m_hDC, m_hPrevious);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};

}  // namespace fw
