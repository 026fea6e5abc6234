#include "ui/framework/window.h"
#include "ui/logic/centring.h"

namespace fw {

namespace {

ui::UiRect ToUiRect(const RECT& r) { return ui::UiRect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

BOOL CenterWindow(HWND window)
{
    RECT windowRect = {};
    if (!::GetWindowRect(window, &windowRect)) return FALSE;
    const HWND owner = ::GetWindow(window, GW_OWNER);
    const bool overOwner = owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner);

    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(overOwner ? owner : window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0)) return FALSE;
    }
    RECT ownerRect = {};
    ui::UiRect ownerArea = {};
    if (overOwner && ::GetWindowRect(owner, &ownerRect)) ownerArea = ToUiRect(ownerRect);
    const ui::UiPoint origin = ui::CentredOrigin(ToUiRect(windowRect), overOwner ? &ownerArea : nullptr,
                                                 ToUiRect(monitor.rcWork));
    return ::SetWindowPos(window, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace fw
