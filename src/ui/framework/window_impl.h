// Subclassing of an existing control: T handles messages in
//     BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT& result);
// and everything it does not handle goes to the control's previous window
// procedure. The subclass ends by itself when the control is destroyed.
#pragma once

#include <windows.h>

#include "ui/framework/window.h"

namespace fw {

template <class T, class TBase = CWindow>
class CWindowImpl : public TBase {
public:
    CWindowImpl() = default;
    ~CWindowImpl() { UnsubclassWindow(); }
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;

    BOOL SubclassWindow(HWND window)
    {
        if (this->m_hWnd != nullptr || window == nullptr || !::IsWindow(window)) return FALSE;
        if (!::SetPropW(window, kPropName, this)) return FALSE;
        const auto previous = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
        if (previous == nullptr) {
            ::RemovePropW(window, kPropName);
            return FALSE;
        }
        m_pfnSuperWindowProc = previous;
        this->m_hWnd = window;
        return TRUE;
    }

    // Gives the control its previous procedure back, unless someone has
    // subclassed it again on top of this one.
    HWND UnsubclassWindow()
    {
        const HWND window = this->m_hWnd;
        if (window == nullptr) return nullptr;
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) != &WindowProc) return nullptr;
        Detach(window);
        return window;
    }

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return ::CallWindowProcW(m_pfnSuperWindowProc, this->m_hWnd, message, wParam, lParam);
    }

private:
    static constexpr wchar_t kPropName[] = L"VexloWindowImpl";

    void Detach(HWND window)
    {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuperWindowProc));
        ::RemovePropW(window, kPropName);
        this->m_hWnd = nullptr;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = static_cast<CWindowImpl*>(::GetPropW(window, kPropName));
        if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
        LRESULT result = 0;
        if (!static_cast<T*>(self)->ProcessWindowMessage(window, message, wParam, lParam, result)) {
            result = ::CallWindowProcW(self->m_pfnSuperWindowProc, window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) self->Detach(window);
        return result;
    }

    WNDPROC m_pfnSuperWindowProc = nullptr;
};

}  // namespace fw
