// The process-wide pool of fonts derived from one base font ("Tahoma", 11
// pixels). The fonts belong to the pool: callers select them and never delete them.
#pragma once

#include <windows.h>

#include "ui/logic/font_cache.h"
#include "ui/logic/font_key.h"

class BkFontPool {
public:
    // The font of the key (see ui/logic/font_key.h), or null if it cannot be made.
    static HFONT GetFont(WORD key);

private:
    class GdiFontMaker : public ui::IFontMaker {
    public:
        GdiFontMaker();
        ui::FontHandle MakeBaseFont() override;
        ui::FontHandle MakeFont(const ui::FontShape& shape) override;
        void DestroyFont(ui::FontHandle font) override;

    private:
        LOGFONTW m_lfBase = {};
    };

    BkFontPool();
    static BkFontPool& Instance();

    GdiFontMaker m_maker;
    ui::FontCache m_cache;
};
