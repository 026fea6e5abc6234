#include "ui/logic/link_targets.h"

namespace ui {

std::u16string SitePage(std::u16string_view siteRoot, std::u16string_view pathOrQuery)
{
    while (!siteRoot.empty() && siteRoot.back() == u'/') siteRoot.remove_suffix(1);
    while (!pathOrQuery.empty() && pathOrQuery.front() == u'/') pathOrQuery.remove_prefix(1);
    std::u16string url(siteRoot);
    url += u'/';
    url += pathOrQuery;
    return url;
}

std::u16string HomePageVisitUrl() { return SitePage(VEXLO_HOME_URL, u"?fr=mendora"); }

std::u16string ForumBoardUrl() { return SitePage(VEXLO_FORUM_URL, u"forum-3-1.html"); }

std::u16string ForumStartPageUrl() { return SitePage(VEXLO_FORUM_URL, u"?fr=mendora"); }

}  // namespace ui
