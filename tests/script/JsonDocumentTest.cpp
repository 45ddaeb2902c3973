#include "script/JsonDocument.h"

#include <gtest/gtest.h>

#include "platform/automation/ScriptControl.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/CodePage.h"
#include "script/JsonSupportScript.h"

namespace lumbrix {
namespace {

const char* kAnswer =
    R"({"code":1,"msg":"ok","data":{"notice":"Hello","version":"1.0","rate":0.5,"big":1e20,)"
    R"("list":[1,2,3],"nested":{"a":"x"}}})";

TEST(JsonDocument, StartsAsAnEmptyObjectAndCreateChangesTheRoot) {
  JsonDocument doc;
  EXPECT_EQ(doc.ToText(), "{}");
  doc.Create(KindArray);
  EXPECT_EQ(doc.ToText(), "[]");
  doc.Create(3);
  EXPECT_EQ(doc.ToText(), "[]");
  doc.Create(KindNull);
  EXPECT_EQ(doc.ToText(), "{}");
}

TEST(JsonDocument, ReadsAnAnswerByPath) {
  JsonDocument doc;
  ASSERT_TRUE(doc.Parse(kAnswer));
  struct Case {
    const char* path;
    bool asJson;
    const char* expected;
  };
  const Case cases[] = {
      {"code", false, "1"},
      {"data.notice", false, "Hello"},
      {"data.rate", false, "0.5"},
      {"data.big", false, "1e+020"},
      {"data.list", false, "1,2,3"},
      {"data.nested", false, "[object Object]"},
      {"data.nested", true, R"({"a":"x"})"},
      {"data.missing", false, ""},
      {"nothere.deeper", false, ""},
      {"data.list[1]", false, "2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(doc.GetText(c.path, c.asJson), c.expected);
  }
}

TEST(JsonDocument, ParseResults) {
  struct Case {
    const char* text;
    bool parsed;
  };
  const Case cases[] = {
      {"", false},      {"null", false}, {"{bad", false},      {"0", true},
      {"[]", true},     {"{a:'single'}", true}, {"'1'", true}, {"undefined", false},
  };
  for (const auto& c : cases) {
    JsonDocument doc;
    EXPECT_EQ(doc.Parse(c.text), c.parsed) << c.text;
  }
}

TEST(JsonDocument, ParseStartsInAFreshEngine) {
  JsonDocument doc;
  doc.SetRoot("globalThis.leftover=1", true);
  ASSERT_TRUE(doc.Parse("{\"b\":2}"));
  EXPECT_EQ(doc.GetText("b"), "2");
  doc.SetRoot("typeof leftover", true);
  EXPECT_EQ(doc.ToText(), "\"undefined\"");
}

TEST(JsonDocument, BuildsObjectTextsInTheOrderPropertiesWereSet) {
  JsonDocument doc;
  doc.Clear();
  doc.SetProperty("name", "lumbrix", false);
  doc.SetProperty("id", "3", false);
  doc.SetNumber("n", 0.25);
  doc.SetProperty("obj", "", true);
  EXPECT_EQ(doc.ToText(), R"({"name":"lumbrix","id":"3","n":0.25,"obj":{}})");
  EXPECT_EQ(doc.GetPropertyJson("name"), "\"lumbrix\"");
  EXPECT_EQ(doc.GetNumber("n"), 0.25);
  EXPECT_TRUE(doc.HasProperty("id"));
  doc.DeleteProperty("id");
  EXPECT_FALSE(doc.HasProperty("id"));
}

TEST(JsonDocument, TextValuesAreSourceBetweenSingleQuotes) {
  JsonDocument doc;
  doc.SetProperty("v", "before", false);
  doc.SetProperty("v", "it's", false);  // unbalanced quote: the statement fails
  EXPECT_EQ(doc.GetText("v"), "before");
  doc.SetProperty("w", "a\\nb", false);  // the engine reads the escape
  EXPECT_EQ(doc.GetText("w"), "a\nb");
  doc.SetPropertyJson("gone", "");
  EXPECT_EQ(doc.ToText(), R"({"v":"before","w":"a\nb"})");
}

TEST(JsonDocument, MembersOfArrays) {
  JsonDocument doc;
  EXPECT_EQ(doc.MemberCount(""), 0);
  ASSERT_TRUE(doc.Parse("['first',2,3]"));
  EXPECT_EQ(doc.MemberCount(""), 3);
  EXPECT_EQ(doc.TypeOf(""), KindArray);
  EXPECT_EQ(doc.GetText("[0]"), "first");
  EXPECT_EQ(doc.GetNumber("[0]"), 0);  // GetNumber always inserts "."
  EXPECT_EQ(doc.GetMemberText(1, "", false), "2");
  EXPECT_EQ(doc.GetMemberText(0, "", true), "\"first\"");
  doc.SetMember(1, "two", false);
  doc.SetMember(2, "[4]", true);
  doc.RemoveMember(0);
  EXPECT_EQ(doc.ToText(), R"(["two",[4]])");
}

TEST(JsonDocument, AddMemberReplacesANonArrayTarget) {
  JsonDocument doc;
  ASSERT_TRUE(doc.Parse(R"({"list":{"x":1},"arr":[1]})"));
  doc.AddMember("v", "list", false);
  doc.AddMember("2", "arr", true);
  doc.AddMember("new", "fresh", false);
  EXPECT_EQ(doc.ToText(), R"({"list":["v"],"arr":[1,2],"fresh":["new"]})");
}

TEST(JsonDocument, KindsOfValues) {
  JsonDocument doc;
  ASSERT_TRUE(doc.Parse(R"({"s":"t","n":1.5,"o":{},"a":[],"b":true,"z":null})"));
  EXPECT_EQ(doc.TypeOf(""), KindObject);
  EXPECT_EQ(doc.TypeOf("s"), KindString);
  EXPECT_EQ(doc.TypeOf("n"), KindNumber);
  EXPECT_EQ(doc.TypeOf("o"), KindObject);
  EXPECT_EQ(doc.TypeOf("a"), KindArray);
  EXPECT_EQ(doc.TypeOf("b"), KindOther);
  EXPECT_EQ(doc.TypeOf("z"), KindNull);
  EXPECT_EQ(doc.TypeOf("absent"), KindNull);
  EXPECT_EQ(doc.MemberCount("o"), 0);
  EXPECT_EQ(doc.MemberCount(""), 6);
}

TEST(JsonDocument, PropertyNamesInInsertionOrderWithoutTheAddedMethods) {
  JsonDocument doc;
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(doc.PropertyNames(names, ""), 0);
  EXPECT_TRUE(names.empty());
  doc.SetProperty("a", "1", false);
  doc.SetProperty("b", "2", false);
  EXPECT_EQ(doc.PropertyNames(names, ""), 2);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(doc.GetText("ary"), "");  // the helper variable is dropped
}

TEST(JsonDocument, PropertyNamesKeepDoubleByteCharactersWhole) {
  JsonDocument doc;
  const std::string first = win::AnsiText("数据");
  const std::string second = win::AnsiText("版本");
  doc.SetProperty(first, "1", false);
  doc.SetProperty(second, "2", false);
  std::vector<std::string> names;
  ASSERT_EQ(doc.PropertyNames(names, ""), 2);
  EXPECT_EQ(names, (std::vector<std::string>{first, second}));
}

TEST(JsonDocument, CopiesShareTheValueButGetObjectIsADeepCopy) {
  JsonDocument doc;
  ASSERT_TRUE(doc.Parse(kAnswer));
  JsonDocument copy = doc;
  JsonDocument detached = doc.GetObject("data.nested");
  copy.SetProperty("data.nested.a", "changed", false);
  EXPECT_EQ(doc.GetText("data.nested.a"), "changed");
  EXPECT_EQ(detached.GetText("a"), "x");
  detached.SetProperty("a", "mine", false);
  EXPECT_EQ(doc.GetText("data.nested.a"), "changed");
  JsonDocument element = doc.GetMemberObject(2, "data.list");
  EXPECT_EQ(element.ToText(), "3");
}

TEST(JsonDocument, ChineseTextRoundTrips) {
  JsonDocument doc;
  const std::string notice = win::AnsiText("运营状态：正常运营中");
  ASSERT_TRUE(doc.Parse(win::AnsiText(R"({"data":{"notice":"运营状态：正常运营中"}})")));
  EXPECT_EQ(doc.GetText("data.notice"), notice);
  ASSERT_TRUE(doc.Parse(R"({"n":"\u8fd0\u8425"})"));
  EXPECT_EQ(doc.GetText("n"), win::AnsiText("运营"));
}

TEST(JsonDocument, HostileTextsOnlyMakeParseFail) {
  const char* hostile[] = {
      "(function(){for(;;);})()",
      "(function(){var a=[],s='x';while(s.length<(1<<20))s=s+s;for(;;)a.push(s+a.length);})()",
  };
  for (const char* text : hostile) {
    SCOPED_TRACE(text);
    JsonDocument doc;
    const auto start = win::GetTickCount64();
    EXPECT_FALSE(doc.Parse(text));
    EXPECT_LE(win::GetTickCount64() - start, std::uint64_t(win::kScriptDefaultTimeoutMs) + 2000);
    EXPECT_EQ(doc.GetText("code"), "");
    EXPECT_EQ(doc.ToText(), "null");
    EXPECT_TRUE(doc.Parse(R"({"code":1})"));
    EXPECT_EQ(doc.GetText("code"), "1");
  }
}

// The support script's own JSON, loaded where the engine's was removed,
// against the engine's native JSON on the same values.
TEST(JsonSupportScript, FallbackAgreesWithTheNativeJson) {
  auto engine = [](bool removeNativeJson) {
    win::ComPtr<win::IDispatch> control;
    win::CreateObjectFromProgID(u"ScriptControl", control.Put());
    win::AutomationPut(control.Get(), u"Language", win::VARIANT(u"JavaScript"));
    if (removeNativeJson)
      win::AutomationCall(control.Get(), u"ExecuteStatement", {win::VARIANT(u"delete this.JSON")});
    win::AutomationCall(control.Get(), u"AddCode",
                        {win::VARIANT(win::WideFromMultiByte(win::CP_UTF8, kJsonSupportScript))});
    return control;
  };
  auto eval = [](win::IDispatch* control, const std::u16string& source) {
    win::VARIANT result;
    win::AutomationCall(control, u"Eval", {win::VARIANT(source)}, &result);
    return win::VariantToText(result);
  };
  auto fallback = engine(true);
  auto native = engine(false);
  ASSERT_EQ(eval(fallback.Get(), u"JSON.stringify.toString().indexOf('native')"), u"-1");

  const std::u16string values[] = {
      u"({a:1,b:'two',c:[1,null,undefined,function(){}],d:{e:true},f:undefined,g:NaN})",
      u"['q\"uote','back\\\\slash','\\b\\t\\n\\f\\r','\\u0001\\u001f']",
      u"[new Date(Date.UTC(2026,11,11,9,5,3)), new Date(NaN)]",
      u"({'\\u670d':'\\u52a1',n:-0.5e-7,big:1e21})",
      u"[[],{},'',0,false]",
  };
  for (const auto& value : values) {
    SCOPED_TRACE(win::MultiByteFromWide(win::CP_UTF8, value));
    const auto expression = u"JSON.stringify(" + value + u")";
    EXPECT_EQ(eval(fallback.Get(), expression), eval(native.Get(), expression));
    const auto indented = u"JSON.stringify(" + value + u",null,2)";
    EXPECT_EQ(eval(fallback.Get(), indented), eval(native.Get(), indented));
    const auto reparsed = u"JSON.stringify(JSON.parse(JSON.stringify(" + value + u")))";
    EXPECT_EQ(eval(fallback.Get(), reparsed), eval(native.Get(), reparsed));
  }
  EXPECT_EQ(eval(fallback.Get(), u"JSON.stringify('\\u007f\\u2028\\ufeff')"),
            u"\"\\u007f\\u2028\\ufeff\"");
  EXPECT_EQ(eval(fallback.Get(),
                 u"JSON.stringify(JSON.parse('{\"a\":1,\"b\":2}',function(k,v){return k==='a'?undefined:v}))"),
            u"{\"b\":2}");
  EXPECT_EQ(eval(fallback.Get(), u"try{JSON.parse('alert(1)')}catch(e){e.name}"), u"SyntaxError");
  EXPECT_EQ(eval(native.Get(), u"({x:1}).toJSONString()"), u"{\"x\":1}");
  EXPECT_EQ(eval(native.Get(), u"get__count([1,2])"), u"2");
}

}  // namespace
}  // namespace lumbrix
