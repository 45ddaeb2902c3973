#include "platform/automation/ScriptControl.h"

#include <gtest/gtest.h>

#include "platform/kernel/Clock.h"

namespace win {
namespace {

class ScriptControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CreateObjectFromProgID(u"MSScriptControl.ScriptControl", control_.Put()), S_OK);
    ASSERT_EQ(AutomationPut(control_.Get(), u"Language", VARIANT(u"JScript")), S_OK);
  }

  VARIANT Eval(const char16_t* expression) {
    VARIANT result;
    AutomationCall(control_.Get(), u"Eval", {VARIANT(expression)}, &result);
    return result;
  }

  VARIANT Property(const char16_t* name) {
    VARIANT value;
    EXPECT_EQ(AutomationGet(control_.Get(), name, &value), S_OK);
    return value;
  }

  ComPtr<IDispatch> control_;
};

TEST(ScriptControlCreation, KnowsItsTwoProgIDsOnly) {
  for (const char16_t* progId : {u"MSScriptControl.ScriptControl", u"ScriptControl", u"scriptcontrol"}) {
    ComPtr<IDispatch> object;
    EXPECT_EQ(CreateObjectFromProgID(progId, object.Put()), S_OK);
    EXPECT_TRUE(object);
  }
  ComPtr<IDispatch> object;
  EXPECT_EQ(CreateObjectFromProgID(u"Scripting.FileSystemObject", object.Put()), CO_E_CLASSSTRING);
  EXPECT_FALSE(object);
}

TEST(ScriptControlCreation, CallsBeforeALanguageIsSetFail) {
  ComPtr<IDispatch> control;
  CreateObjectFromProgID(u"ScriptControl", control.Put());
  EXPECT_EQ(AutomationCall(control.Get(), u"Eval", {VARIANT(u"1")}), E_UNEXPECTED);
  EXPECT_EQ(GetLastAutomationError().scode, E_UNEXPECTED);
}

TEST_F(ScriptControlTest, LanguageAcceptsOnlyTheJavaScriptNames) {
  EXPECT_EQ(AutomationPut(control_.Get(), u"Language", VARIANT(u"JavaScript")), S_OK);
  EXPECT_EQ(Property(u"Language"), VARIANT(u"JavaScript"));
  EXPECT_TRUE(FAILED(AutomationPut(control_.Get(), u"Language", VARIANT(u"vbs"))));
  EXPECT_EQ(Property(u"Language"), VARIANT(u"JavaScript"));
}

TEST_F(ScriptControlTest, EvalGivesTheCompletionValueInItsKind) {
  struct Case {
    const char16_t* source;
    VARIANT expected;
  };
  const Case cases[] = {
      {u"1+2", VARIANT(std::int32_t(3))},
      {u"0.5*3", VARIANT(1.5)},
      {u"'a'+'b'", VARIANT(u"ab")},
      {u"1<2", VARIANT(true)},
      {u"var x=1; x+=41; x", VARIANT(std::int32_t(42))},
      {u"var s=''; for (var k in {a:1,b:2}) {s=s+k+',';}", VARIANT(u"a,b,")},
      {u"undefined", VARIANT()},
      {u"null", VARIANT()},
      {u"[1,2,3]", VARIANT(u"1,2,3")},
      {u"({})", VARIANT(u"[object Object]")},
      {u"'服务器'", VARIANT(u"服务器")},
      {u"'\\ud83d\\ude00'.length", VARIANT(std::int32_t(2))},
      {u"'\U0001F600'", VARIANT(u"\U0001F600")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.source, c.source + std::char_traits<char16_t>::length(c.source)));
    EXPECT_EQ(Eval(c.source), c.expected);
    EXPECT_EQ(GetLastAutomationError().scode, S_OK);
  }
}

TEST_F(ScriptControlTest, AddCodeDefinesGlobalsAndRunCallsThemWithArguments) {
  ASSERT_EQ(AutomationCall(control_.Get(), u"AddCode",
                           {VARIANT(u"function join(a,b,c){return a+'|'+b+'|'+c}")}),
            S_OK);
  VARIANT result;
  ASSERT_EQ(AutomationCall(control_.Get(), u"Run",
                           {VARIANT(u"join"), VARIANT(u"x"), VARIANT(std::int32_t(7))}, &result),
            S_OK);
  EXPECT_EQ(result, VARIANT(u"x|7|undefined"));
  EXPECT_EQ(AutomationCall(control_.Get(), u"Run", {VARIANT(u"missing")}, &result),
            DISP_E_EXCEPTION);
  EXPECT_TRUE(result.IsEmpty());
}

TEST_F(ScriptControlTest, AFailedCallRecordsTheErrorAndASuccessClearsIt) {
  EXPECT_EQ(AutomationCall(control_.Get(), u"ExecuteStatement", {VARIANT(u"function (")}),
            DISP_E_EXCEPTION);
  EXPECT_EQ(GetLastAutomationError().scode, DISP_E_EXCEPTION);
  EXPECT_NE(GetLastAutomationError().description.find(u"SyntaxError"), std::u16string::npos);
  EXPECT_EQ(AutomationCall(control_.Get(), u"ExecuteStatement", {VARIANT(u"var ok=1")}), S_OK);
  EXPECT_EQ(GetLastAutomationError().scode, S_OK);
  EXPECT_EQ(AutomationCall(control_.Get(), u"Nope", {VARIANT(u"")}), DISP_E_UNKNOWNNAME);
}

// Large programs are loaded from bytecode after their first compilation;
// a later engine must see exactly what the first one saw.
TEST(ScriptControlPrograms, ALargeProgramBehavesTheSameInEveryEngine) {
  std::u16string program = u"var loaded = (loaded || 0) + 1; function answer(x) { return x * 2; }";
  program += u"/*" + std::u16string(2000, u'.') + u"*/";
  for (int engine = 0; engine < 3; ++engine) {
    ComPtr<IDispatch> control;
    CreateObjectFromProgID(u"ScriptControl", control.Put());
    AutomationPut(control.Get(), u"Language", VARIANT(u"JScript"));
    ASSERT_EQ(AutomationCall(control.Get(), u"ExecuteStatement", {VARIANT(program)}), S_OK);
    VARIANT result;
    AutomationCall(control.Get(), u"Run", {VARIANT(u"answer"), VARIANT(std::int32_t(21))}, &result);
    EXPECT_EQ(result, VARIANT(std::int32_t(42)));
    AutomationCall(control.Get(), u"Eval", {VARIANT(u"loaded")}, &result);
    EXPECT_EQ(result, VARIANT(std::int32_t(1)));
    EXPECT_EQ(AutomationCall(control.Get(), u"ExecuteStatement", {VARIANT(program + u" }")}),
              DISP_E_EXCEPTION);
  }
}

TEST_F(ScriptControlTest, ResetGivesAFreshEngine) {
  Eval(u"var kept=5");
  EXPECT_EQ(Eval(u"kept"), VARIANT(std::int32_t(5)));
  ASSERT_EQ(AutomationCall(control_.Get(), u"Reset", {}), S_OK);
  EXPECT_EQ(Eval(u"typeof kept"), VARIANT(u"undefined"));
}

TEST_F(ScriptControlTest, PropertiesAreStoredAndReadBack) {
  EXPECT_EQ(Property(u"Timeout"), VARIANT(kScriptDefaultTimeoutMs));
  EXPECT_EQ(Property(u"AllowUI"), VARIANT(true));
  ASSERT_EQ(AutomationPut(control_.Get(), u"Timeout", VARIANT(std::int32_t(-1))), S_OK);
  EXPECT_EQ(Property(u"Timeout"), VARIANT(std::int32_t(-1)));
  EXPECT_EQ(AutomationPut(control_.Get(), u"Timeout", VARIANT(std::int32_t(-5))), E_INVALIDARG);
  ASSERT_EQ(AutomationPut(control_.Get(), u"State", VARIANT(std::int32_t(1))), S_OK);
  ASSERT_EQ(AutomationPut(control_.Get(), u"AllowUI", VARIANT(false)), S_OK);
  ASSERT_EQ(AutomationPut(control_.Get(), u"SitehWnd", VARIANT(std::int32_t(0x1234))), S_OK);
  EXPECT_EQ(Property(u"State"), VARIANT(std::int32_t(1)));
  EXPECT_EQ(Property(u"AllowUI"), VARIANT(false));
  EXPECT_EQ(Property(u"SitehWnd"), VARIANT(std::int32_t(0x1234)));
}

TEST_F(ScriptControlTest, AnEndlessScriptStopsAtTheTimeoutAndTheEngineGoesOn) {
  AutomationPut(control_.Get(), u"Timeout", VARIANT(std::int32_t(200)));
  const char16_t* hostile[] = {
      u"for(;;);",
      u"for(;;){try{for(;;);}catch(e){}}",
      u"(function f(){try{for(;;);}finally{f()}})()",
  };
  for (const char16_t* source : hostile) {
    const auto start = GetTickCount64();
    EXPECT_EQ(AutomationCall(control_.Get(), u"ExecuteStatement", {VARIANT(source)}), E_ABORT);
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_EQ(Eval(u"6*7"), VARIANT(std::int32_t(42)));
  }
}

TEST_F(ScriptControlTest, RunningPastTheMemoryCapFailsTheCallNotTheProcess) {
  AutomationPut(control_.Get(), u"Timeout", VARIANT(std::int32_t(-1)));
  EXPECT_EQ(AutomationCall(control_.Get(), u"ExecuteStatement",
                           {VARIANT(u"var a=[], s='x'; while(s.length<(1<<20)) s=s+s; for(;;) a.push(s+a.length);")}),
            E_OUTOFMEMORY);
  EXPECT_EQ(AutomationCall(control_.Get(), u"ExecuteStatement",
                           {VARIANT(u"var s='x'; for(;;) s=s+s;")}),
            E_OUTOFMEMORY);
  EXPECT_EQ(Eval(u"'still'+' here'"), VARIANT(u"still here"));
}

}  // namespace
}  // namespace win
