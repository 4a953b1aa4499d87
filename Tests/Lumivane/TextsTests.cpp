#include "Lumivane/Texts.hpp"

#include <gtest/gtest.h>
#include <string>

namespace lumivane {
namespace {

// Every status line the services can report, in words, with its error flag.
struct Case {
  StatusLine line;
  const char* text;
  bool isError;
};

class StatusLineTexts : public testing::TestWithParam<Case> {};

TEST_P(StatusLineTexts, AreWordedOnceAndFlaggedByKind) {
  EXPECT_EQ(texts::statusLine(GetParam().line), GetParam().text);
  EXPECT_EQ(isError(GetParam().line), GetParam().isError);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusLineTexts,
    testing::Values(
        Case{QuitLine{QuitOutcome::refused, "Safari"}, "未能向「Safari」发送退出请求", true},
        Case{QuitLine{QuitOutcome::waiting, "Safari"}, "已请求「Safari」退出，正在等待…", false},
        Case{QuitLine{QuitOutcome::ended, "Safari"}, "「Safari」已退出", false},
        Case{QuitLine{QuitOutcome::timedOut, "文本编辑"},
             "「文本编辑」仍未退出。请检查保存提示，或再次尝试。", true},
        // An application without a name of its own is called "应用".
        Case{QuitLine{QuitOutcome::ended, ""}, "「应用」已退出", false},
        Case{ReopenLine{ReopenOutcome::opened, "Safari"}, "已重新打开「Safari」", false},
        Case{ReopenLine{ReopenOutcome::runningAgain, "Safari"}, "「Safari」已在运行", false},
        // Nothing opened: the user must look for the application.
        Case{ReopenLine{ReopenOutcome::gone, "文本编辑"},
             "未能重新打开「文本编辑」。它可能已被移动或删除。", true},
        Case{ReopenLine{ReopenOutcome::opened, ""}, "已重新打开「应用」", false},
        Case{TapNotice::restored, "鼠标监听已恢复。", false},
        Case{TapNotice::interrupted, "鼠标监听已中断，请在设置中重新检查权限。", true}));

TEST(OverlayLabel, NamesTheApplicationItQuits) {
  EXPECT_EQ(texts::overlayLabel("Safari"), "退出 Safari");
  EXPECT_EQ(texts::overlayLabel(""), "退出 应用");
}

TEST(ReopenHelp, NamesTheApplicationItOpens) {
  EXPECT_EQ(texts::reopenHelp("Safari"), "重新打开「Safari」");
  EXPECT_EQ(texts::reopenHelp(""), "重新打开「应用」");
}

TEST(ApplicationNames, FromABundleIdentifierAlone) {
  EXPECT_EQ(texts::nameFromBundleIdentifier("com.example.Recorder"), "Recorder");
  EXPECT_EQ(texts::nameFromBundleIdentifier("Recorder"), "Recorder");
  // Nothing after the last dot: the identifier is all there is to show.
  EXPECT_EQ(texts::nameFromBundleIdentifier("com.example."), "com.example.");
  EXPECT_EQ(texts::nameFromBundleIdentifier(""), "");
}

} // namespace
} // namespace lumivane
