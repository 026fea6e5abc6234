// Modal dialogs from a dialog resource. The derived class T names its template
// with `enum { IDD = ... }` and handles messages in
//     BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT& result);
// returning TRUE for the messages it handled; all others get the default
// dialog handling.
#pragma once

#include <windows.h>

#include "ui/framework/module_state.h"
#include "ui/framework/window.h"

namespace fw {

template <class T, class TBase = CWindow>
class CDialogImpl : public TBase {
public:
    // Returns the value given to EndDialog, or -1 when the dialog could not be made.
    INT_PTR DoModal(HWND owner = ::GetActiveWindow())
    {
        return ::DialogBoxParamW(CModuleState::Instance(), MAKEINTRESOURCEW(T::IDD), owner, &DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    }

    BOOL EndDialog(INT_PTR result) { return ::EndDialog(this->m_hWnd, result); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        CDialogImpl* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<CDialogImpl*>(lParam);
            ::SetWindowLongPtrW(window, DWLP_USER, lParam);
            self->m_hWnd = window;
        } else {
            self = reinterpret_cast<CDialogImpl*>(::GetWindowLongPtrW(window, DWLP_USER));
        }
        // Messages before WM_INITDIALOG (the font, the frame) get the default handling.
        if (self == nullptr) return FALSE;

        LRESULT result = 0;
        const BOOL handled = static_cast<T*>(self)->ProcessWindowMessage(window, message, wParam, lParam, result);
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, DWLP_USER, 0);
            self->m_hWnd = nullptr;
        }
        if (!handled) return FALSE;
        if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
        return TRUE;
    }

    // The few messages whose result a dialog procedure returns itself instead
    // of through DWLP_MSGRESULT.
    static bool ReturnsResultDirectly(UINT message)
    {
        switch (message) {
        case WM_INITDIALOG:
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_QUERYDRAGICON:
        case WM_VKEYTOITEM:
            return true;
        default:
            return false;
        }
    }
};

}  // namespace fw
