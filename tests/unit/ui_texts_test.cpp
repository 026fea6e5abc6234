// Window-free texts of the user interface: the result sentence, the
// continuation switch and the vendor page addresses.
#include <gtest/gtest.h>

#include <string>

#include "ui/logic/command_switch.h"
#include "ui/logic/link_targets.h"
#include "ui/logic/result_sentence.h"

namespace {

struct SentenceCase {
    bool stopped;
    bool found;
    const char16_t* expected;
};

TEST(ResultSentence, OpeningFollowsTheStopFlagAndOutcomeTheFinding)
{
    const SentenceCase cases[] = {
        {false, true, u"扫描完成，已修复，详情查看扫描日志。客服QQ:800000000 "},
        {false, false, u"扫描完成，未发现异常。客服QQ:800000000 "},
        {true, false, u"用户终止，未发现异常。客服QQ:800000000 "},
        {true, true, u"用户终止，已修复，详情查看扫描日志。客服QQ:800000000 "},
    };
    for (const SentenceCase& c : cases) {
        EXPECT_EQ(ui::BuildResultSentence(c.stopped, c.found, u"800000000"), c.expected)
            << "stopped " << c.stopped << " found " << c.found;
    }
}

TEST(ResultSentence, ContactPieceIsFifteenCharactersWithANineDigitNumber)
{
    const std::u16string sentence = ui::BuildResultSentence(false, false, u"123456789");
    const std::u16string contact = sentence.substr(sentence.find(u"客服"));
    EXPECT_EQ(contact.size(), 15u);
    EXPECT_EQ(contact.back(), u' ');
}

struct SwitchCase {
    const char16_t* commandLine;
    bool continuation;
};

TEST(ContinuationSwitch, NeedsTheLeadingBlankButNotTheLetterCase)
{
    const SwitchCase cases[] = {
        {u"\"C:\\Program Files\\Vexlo\\VexloRepair.exe\" second_proc", true},
        {u"\"C:\\Program Files\\Vexlo\\VexloRepair.exe\" SECOND_PROC", true},
        {u"\"C:\\Vexlo\\VexloRepair.exe\" /x Second_Proc more", true},
        {u"VexloRepair.exe second_process", true},  // the switch may stand anywhere, even inside a word
        {u"\"C:\\Vexlo\\VexloRepair.exe\"second_proc", false},
        {u"\"C:\\Vexlo\\VexloRepair.exe\"", false},
        {u"VexloRepair.exe second-proc", false},
        {u"VexloRepair.exe\tsecond_proc", false},
        {u" second_pro", false},
        {u"", false},
    };
    for (const SwitchCase& c : cases) {
        EXPECT_EQ(ui::HasContinuationSwitch(c.commandLine), c.continuation)
            << std::string(c.commandLine, c.commandLine + std::char_traits<char16_t>::length(c.commandLine));
    }
}

TEST(LinkTargets, PagesFollowTheSiteRootAfterExactlyOneSlash)
{
    EXPECT_EQ(ui::SitePage(u"http://www.example/", u"?fr=mendora"), u"http://www.example/?fr=mendora");
    EXPECT_EQ(ui::SitePage(u"http://bbs.example", u"/forum-3-1.html"), u"http://bbs.example/forum-3-1.html");
    EXPECT_EQ(ui::HomePageVisitUrl(), ui::SitePage(VEXLO_HOME_URL, u"?fr=mendora"));
    EXPECT_EQ(ui::ForumBoardUrl().find(u"//forum"), std::u16string::npos);
    EXPECT_TRUE(ui::ForumBoardUrl().ends_with(u"/forum-3-1.html"));
    EXPECT_TRUE(ui::ForumStartPageUrl().ends_with(u"/?fr=mendora"));
}

}  // namespace
