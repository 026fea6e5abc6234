// The font pool's cache: one font per key, made on first request from the
// base font's description and kept for the life of the pool.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "ui/logic/font_key.h"

namespace ui {

using FontHandle = void*;

// Makes fonts for the cache; a null handle means the font could not be made.
class IFontMaker {
public:
    virtual ~IFontMaker() = default;
    virtual FontHandle MakeBaseFont() = 0;
    virtual FontHandle MakeFont(const FontShape& shape) = 0;
    virtual void DestroyFont(FontHandle font) = 0;
};

class FontCache {
public:
    // Makes the base font at once and keeps it under key 0.
    FontCache(IFontMaker& maker, int32_t baseHeight);
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The font of the key, or null; a font that could not be made is tried again next time.
    FontHandle GetFont(uint16_t key);

private:
    IFontMaker& m_maker;
    int32_t m_baseHeight;
    std::unordered_map<uint16_t, FontHandle> m_mapFonts;
};

}  // namespace ui
