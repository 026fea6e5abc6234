// The vendor's pages that the links and the result dialog open.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// The site root with a path or query after exactly one slash.
std::u16string SitePage(std::u16string_view siteRoot, std::u16string_view pathOrQuery);

std::u16string HomePageVisitUrl();   // home page, "?fr=mendora"
std::u16string ForumBoardUrl();      // the forum's board "/forum-3-1.html"
std::u16string ForumStartPageUrl();  // forum start page, "?fr=mendora"

}  // namespace ui
