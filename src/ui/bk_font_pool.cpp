#include "ui/bk_font_pool.h"

#include <cwchar>

BkFontPool::GdiFontMaker::GdiFontMaker()
{
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof m_lfBase, &m_lfBase);
    m_lfBase.lfHeight = ui::FONT_BASE_HEIGHT;
    std::wcsncpy(m_lfBase.lfFaceName, reinterpret_cast<const wchar_t*>(ui::FONT_FACE_NAME), LF_FACESIZE - 1);
    m_lfBase.lfFaceName[LF_FACESIZE - 1] = L'\0';
}

ui::FontHandle BkFontPool::GdiFontMaker::MakeBaseFont() { return ::CreateFontIndirectW(&m_lfBase); }

ui::FontHandle BkFontPool::GdiFontMaker::MakeFont(const ui::FontShape& shape)
{
    LOGFONTW font = m_lfBase;
    font.lfHeight = shape.height;
    font.lfWeight = shape.weight;
    font.lfItalic = shape.italic ? TRUE : FALSE;
    font.lfUnderline = shape.underline ? TRUE : FALSE;
    return ::CreateFontIndirectW(&font);
}

void BkFontPool::GdiFontMaker::DestroyFont(ui::FontHandle font) { ::DeleteObject(static_cast<HFONT>(font)); }

BkFontPool::BkFontPool() : m_cache(m_maker, ui::FONT_BASE_HEIGHT) {}

BkFontPool& BkFontPool::Instance()
{
    // Made on first use, on the user-interface thread, and kept until the process ends.
    static BkFontPool pool;
    return pool;
}

HFONT BkFontPool::GetFont(WORD key) { return static_cast<HFONT>(Instance().m_cache.GetFont(key)); }
