#include "ui/logic/font_cache.h"

namespace ui {

FontCache::FontCache(IFontMaker& maker, int32_t baseHeight) : m_maker(maker), m_baseHeight(baseHeight)
{
    if (FontHandle base = m_maker.MakeBaseFont()) m_mapFonts.emplace(FONT_KEY_BASE, base);
}

FontCache::~FontCache()
{
    for (const auto& [key, font] : m_mapFonts) m_maker.DestroyFont(font);
}

FontHandle FontCache::GetFont(uint16_t key)
{
    if (auto found = m_mapFonts.find(key); found != m_mapFonts.end()) return found->second;
    FontHandle font = m_maker.MakeFont(DeriveFontShape(m_baseHeight, key));
    if (font != nullptr) m_mapFonts.emplace(key, font);
    return font;
}

}  // namespace ui
