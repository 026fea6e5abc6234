// Fonts of the user interface are named by a 16-bit key: bit 0 italic, bit 1
// underlined, bit 2 bold, bits 8 to 15 a signed size increase.
#pragma once

#include <cstdint>

namespace ui {

inline constexpr uint16_t FONT_KEY_BASE = 0x0000;
inline constexpr uint16_t FONT_KEY_LINK = 0x0002;   // underlined, for link text
inline constexpr uint16_t FONT_KEY_TITLE = 0x0A00;  // 10 units larger, for the painted title

inline constexpr int32_t FONT_BASE_HEIGHT = -11;
inline constexpr char16_t FONT_FACE_NAME[] = u"Tahoma";

// What a key changes in the base font's description.
struct FontShape {
    int32_t height;
    int32_t weight;
    bool italic;
    bool underline;

    bool operator==(const FontShape&) const = default;
};

FontShape DeriveFontShape(int32_t baseHeight, uint16_t key);

}  // namespace ui
