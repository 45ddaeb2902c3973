#include "script/ScriptHost.h"

#include <gtest/gtest.h>

#include "platform/kernel/CodePage.h"

namespace lumbrix {
namespace {

TEST(ScriptHost, ExecuteStatementReportsSyntaxErrors) {
  ScriptHost host;
  EXPECT_FALSE(host.ExecuteStatement("function broken( {"));
  EXPECT_TRUE(host.ExecuteStatement("function twice(s){return s+s}"));
  EXPECT_EQ(host.Run("twice", "ab"), "abab");
  EXPECT_EQ(host.Run("undefinedFunction", "x"), "");
}

TEST(ScriptHost, RunStopsPassingAtTheFirstArgumentNotGiven) {
  ScriptHost host;
  ASSERT_TRUE(host.ExecuteStatement("function count(){return arguments.length+':'+arguments[0]}"));
  EXPECT_EQ(host.Run("count", "one", std::nullopt, "three"), "1:one");
  EXPECT_EQ(host.Run("count", "1", "2", "3", "4", "5", "6"), "6:1");
  EXPECT_EQ(host.Run("count"), "0:undefined");
}

TEST(ScriptHost, TimeoutWithoutArgumentWritesMinusOneAndTheOthersOnlyRead) {
  ScriptHost host;
  EXPECT_EQ(host.Timeout(), -1);
  EXPECT_EQ(host.Timeout(2500), 2500);
  EXPECT_EQ(host.State(), 0);
  EXPECT_EQ(host.State(1), 1);
  EXPECT_EQ(host.State(), 1);
  EXPECT_TRUE(host.AllowUI());
  EXPECT_FALSE(host.AllowUI(false));
  EXPECT_EQ(host.SitehWnd(), 0);
  EXPECT_EQ(host.SitehWnd(0x40010), 0x40010);
}

TEST(ScriptHost, LanguageKindsAndTheUnknownOne) {
  ScriptHost host;
  EXPECT_EQ(host.Language(2), "JScript");
  EXPECT_EQ(host.Language(1), "JScript");  // there is no VBScript engine to switch to
  EXPECT_EQ(host.Language(0), "JScript");
}

TEST(ScriptHost, ChineseTextCrossesTheEngineIntact) {
  ScriptHost host;
  const std::string notice = win::AnsiText("服务器连接失败！");
  ASSERT_TRUE(host.ExecuteStatement("function echo(s){return s+'|'+s.length}"));
  EXPECT_EQ(host.Run("echo", notice), notice + "|8");
  EXPECT_EQ(host.Eval("'\\u670d\\u52a1'"), win::AnsiText("服务"));
}

TEST(ScriptHost, CopiesShareTheEngineAndResetEmptiesIt) {
  ScriptHost host;
  host.AddCode("var shared=7");
  ScriptHost copy(host);
  EXPECT_EQ(copy.Eval("shared"), "7");
  EXPECT_EQ(copy.EngineObject().Get(), host.EngineObject().Get());
  copy.Reset();
  EXPECT_EQ(host.Eval("typeof shared"), "undefined");
}

TEST(ScriptHost, EachInstanceHoldsOneComInitialisation) {
  const unsigned before = win::ComInitializationDepth();
  {
    ScriptHost host;
    ScriptHost copy(host);
    EXPECT_EQ(win::ComInitializationDepth(), before + 2);
  }
  EXPECT_EQ(win::ComInitializationDepth(), before);
}

}  // namespace
}  // namespace lumbrix
