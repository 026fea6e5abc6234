#include "ui/logic/font_key.h"

namespace ui {

FontShape DeriveFontShape(int32_t baseHeight, uint16_t key)
{
    // Heights are negative character heights, so growing means subtracting.
    const auto increase = static_cast<int8_t>(static_cast<uint8_t>(key >> 8));
    return FontShape{
        baseHeight - increase,
        (key & 0x0004) != 0 ? 700 : 400,
        (key & 0x0001) != 0,
        (key & 0x0002) != 0,
    };
}

}  // namespace ui
