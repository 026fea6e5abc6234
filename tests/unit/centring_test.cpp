// Centring a dialog over its owner or in the work area, kept inside the work area.
#include <gtest/gtest.h>

#include "ui/logic/centring.h"

namespace {

struct CentringCase {
    const char* name;
    ui::UiRect window;
    bool hasOwner;
    ui::UiRect owner;
    ui::UiPoint expected;
};

TEST(Centring, OverTheOwnerOrTheWorkAreaAndClampedToIt)
{
    const ui::UiRect work{0, 0, 1024, 738};
    const CentringCase cases[] = {
        {"work area", {0, 0, 200, 100}, false, {}, {412, 319}},
        {"owner", {0, 0, 200, 100}, true, {100, 100, 500, 400}, {200, 200}},
        {"owner near the right edge", {0, 0, 200, 100}, true, {900, 100, 1100, 300}, {824, 150}},
        {"owner above the top", {0, 0, 200, 100}, true, {10, -300, 210, -100}, {10, 0}},
        {"larger than the work area", {0, 0, 1200, 900}, false, {}, {0, 0}},
    };
    for (const CentringCase& c : cases) {
        EXPECT_EQ(ui::CentredOrigin(c.window, c.hasOwner ? &c.owner : nullptr, work), c.expected) << c.name;
    }
}

TEST(Centring, WorkAreaNotAtTheOrigin)
{
    const ui::UiRect work{-1280, 30, 0, 1024};
    EXPECT_EQ(ui::CentredOrigin({0, 0, 300, 200}, nullptr, work), (ui::UiPoint{-790, 427}));
}

}  // namespace
