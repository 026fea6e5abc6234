// A thin wrapper around a window handle; it owns nothing.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

// Portable UTF-16 text handed to a window call.
inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const char16_t* AsUtf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

class CWindow {
public:
    CWindow() = default;
    explicit CWindow(HWND window) : m_hWnd(window) {}

    operator HWND() const { return m_hWnd; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL SetWindowText(const wchar_t* text) const { return ::SetWindowTextW(m_hWnd, text); }
    BOOL SetDlgItemText(int id, const wchar_t* text) const { return ::SetDlgItemTextW(m_hWnd, id, text); }
    std::wstring GetWindowText() const
    {
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    void ModifyStyle(DWORD remove, DWORD add) const
    {
        const DWORD style = GetStyle();
        const DWORD changed = (style & ~remove) | add;
        if (changed != style) ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    BOOL Invalidate(BOOL erase) const { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    HICON SetIcon(HICON icon, BOOL big) const
    {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }

    HWND m_hWnd = nullptr;
};

// The static-control wrapper the link control subclasses.
class CStatic : public CWindow {
public:
    using CWindow::CWindow;
};

// Centres a top-level window over its owner when the owner is visible and not
// minimised, otherwise in the work area of its monitor; it stays inside that work area.
BOOL CenterWindow(HWND window);

}  // namespace fw
