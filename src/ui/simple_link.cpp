#include "ui/simple_link.h"

#include <string>

#include "ui/bk_font_pool.h"
#include "ui/framework/gdi_handles.h"

BOOL CSimpleLink::AttachToControl(HWND control)
{
    if (!SubclassWindow(control)) return FALSE;
    ModifyStyle(0, SS_NOTIFY);
    return TRUE;
}

BOOL CSimpleLink::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_ERASEBKGND:
        // The paint fills the background itself.
        result = 1;
        return TRUE;
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return TRUE;
    case WM_LBUTTONDOWN:
        ::SetCapture(m_hWnd);
        return TRUE;
    case WM_LBUTTONUP:
        ::ReleaseCapture();
        ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), 0);
        return TRUE;
    case WM_MOUSELEAVE:
        m_bHover = 0;
        Invalidate(FALSE);
        return TRUE;
    default:
        return FALSE;
    }
}

void CSimpleLink::OnPaint()
{
    PAINTSTRUCT paint = {};
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (dc == nullptr) return;
    const std::wstring text = GetWindowText();
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    ::SetBkMode(dc, TRANSPARENT);
    {
        fw::ScopedSelect font(dc, BkFontPool::GetFont(ui::FONT_KEY_LINK));
        fw::UniqueBrush background(::CreateSolidBrush(m_crBackground));
        if (background) ::FillRect(dc, &client, background.Get());
        ::SetTextColor(dc, m_bHover ? LINK_COLOR_HOVER : LINK_COLOR_NORMAL);
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, DT_SINGLELINE | DT_LEFT | DT_TOP);
        ::SetTextColor(dc, RGB(0, 0, 0));
    }
    ::EndPaint(m_hWnd, &paint);
}

void CSimpleLink::OnMouseMove()
{
    if (m_bHover) return;
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hWnd;
    track.dwHoverTime = 0;
    m_bHover = ::TrackMouseEvent(&track) ? 1 : 0;
    Invalidate(FALSE);
}
