#include "ui/logic/centring.h"

namespace ui {

UiPoint CentredOrigin(const UiRect& window, const UiRect* owner, const UiRect& workArea)
{
    const UiRect& centre = owner != nullptr ? *owner : workArea;
    const int32_t width = window.right - window.left;
    const int32_t height = window.bottom - window.top;
    int32_t x = (centre.left + centre.right) / 2 - width / 2;
    int32_t y = (centre.top + centre.bottom) / 2 - height / 2;
    // Right and bottom edges first, so a window larger than the work area keeps its caption visible.
    if (x + width > workArea.right) x = workArea.right - width;
    if (y + height > workArea.bottom) y = workArea.bottom - height;
    if (x < workArea.left) x = workArea.left;
    if (y < workArea.top) y = workArea.top;
    return UiPoint{x, y};
}

}  // namespace ui
