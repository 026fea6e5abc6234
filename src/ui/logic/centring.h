// Where a dialog goes when it is centred: over its owner, or in the work area,
// and never outside the work area.
#pragma once

#include <cstdint>

namespace ui {

struct UiRect {
    int32_t left, top, right, bottom;
};

struct UiPoint {
    int32_t x, y;

    bool operator==(const UiPoint&) const = default;
};

// The top-left corner for the window; owner is null when the owner is hidden,
// minimised or missing.
UiPoint CentredOrigin(const UiRect& window, const UiRect* owner, const UiRect& workArea);

}  // namespace ui
