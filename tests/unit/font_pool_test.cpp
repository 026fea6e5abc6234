// Font keys and the pool's cache of one font per key.
#include <gtest/gtest.h>

#include <vector>

#include "ui/logic/font_cache.h"
#include "ui/logic/font_key.h"

namespace {

struct KeyCase {
    uint16_t key;
    ui::FontShape shape;
};

TEST(FontKey, BitsSelectStyleAndTheSignedHighByteGrowsTheFont)
{
    const KeyCase cases[] = {
        {0x0000, {-11, 400, false, false}},
        {0x0002, {-11, 400, false, true}},
        {0x0A00, {-21, 400, false, false}},
        {0x0001, {-11, 400, true, false}},
        {0x0004, {-11, 700, false, false}},
        {0x0A07, {-21, 700, true, true}},
        {0xFF00, {-10, 400, false, false}},  // -1: one unit smaller
        {0x8000, {117, 400, false, false}},  // -128
        {0x00F8, {-11, 400, false, false}},  // bits 3 to 7 mean nothing
    };
    for (const KeyCase& c : cases) EXPECT_EQ(ui::DeriveFontShape(-11, c.key), c.shape) << std::hex << c.key;
}

// Hands out numbered fonts and can be told to fail.
class FakeFontMaker : public ui::IFontMaker {
public:
    ui::FontHandle MakeBaseFont() override { return failNext ? Fail() : Next(); }
    ui::FontHandle MakeFont(const ui::FontShape& shape) override
    {
        shapes.push_back(shape);
        return failNext ? Fail() : Next();
    }
    void DestroyFont(ui::FontHandle font) override { destroyed.push_back(font); }

    bool failNext = false;
    uintptr_t made = 0;
    std::vector<ui::FontShape> shapes;
    std::vector<ui::FontHandle> destroyed;

private:
    ui::FontHandle Next() { return reinterpret_cast<ui::FontHandle>(++made); }
    ui::FontHandle Fail()
    {
        failNext = false;
        return nullptr;
    }
};

TEST(FontCache, MakesTheBaseAtOnceAndEachFurtherKeyOnlyOnce)
{
    FakeFontMaker maker;
    {
        ui::FontCache cache(maker, ui::FONT_BASE_HEIGHT);
        EXPECT_EQ(maker.made, 1u);
        const ui::FontHandle base = cache.GetFont(ui::FONT_KEY_BASE);
        EXPECT_NE(base, nullptr);
        const ui::FontHandle link = cache.GetFont(ui::FONT_KEY_LINK);
        const ui::FontHandle title = cache.GetFont(ui::FONT_KEY_TITLE);
        EXPECT_EQ(cache.GetFont(ui::FONT_KEY_LINK), link);
        EXPECT_EQ(cache.GetFont(ui::FONT_KEY_TITLE), title);
        EXPECT_EQ(cache.GetFont(ui::FONT_KEY_BASE), base);
        EXPECT_NE(link, title);
        EXPECT_EQ(maker.made, 3u);
        ASSERT_EQ(maker.shapes.size(), 2u);
        EXPECT_EQ(maker.shapes[1].height, -21);
        EXPECT_TRUE(maker.shapes[0].underline);
    }
    EXPECT_EQ(maker.destroyed.size(), 3u);
}

TEST(FontCache, AFontThatCouldNotBeMadeIsTriedAgain)
{
    FakeFontMaker maker;
    maker.failNext = true;
    ui::FontCache cache(maker, ui::FONT_BASE_HEIGHT);
    // Without a stored base, key 0 is derived like any other key.
    EXPECT_NE(cache.GetFont(ui::FONT_KEY_BASE), nullptr);

    maker.failNext = true;
    EXPECT_EQ(cache.GetFont(ui::FONT_KEY_LINK), nullptr);
    const ui::FontHandle link = cache.GetFont(ui::FONT_KEY_LINK);
    EXPECT_NE(link, nullptr);
    EXPECT_EQ(cache.GetFont(ui::FONT_KEY_LINK), link);
}

}  // namespace
