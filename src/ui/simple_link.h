// A static text control turned into a hyperlink: blue, red under the mouse, the
// hand cursor, and a WM_COMMAND with its id to the parent on button release.
// The owner subclasses an existing static control and gives it SS_NOTIFY.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/framework/window.h"
#include "ui/framework/window_impl.h"

inline constexpr COLORREF LINK_COLOR_NORMAL = 0xA56430;
inline constexpr COLORREF LINK_COLOR_HOVER = 0x0000FF;

class CSimpleLink : public fw::CWindowImpl<CSimpleLink, fw::CStatic> {
public:
    // Subclasses the static control and adds SS_NOTIFY, without which a static
    // control never sees the mouse.
    BOOL AttachToControl(HWND control);
    // Set before the first paint; the button-face colour otherwise.
    void SetBackgroundColor(COLORREF color) { m_crBackground = color; }

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void OnPaint();
    void OnMouseMove();

    int32_t m_bHover = 0;
    COLORREF m_crBackground = ::GetSysColor(COLOR_BTNFACE);
};
