#include "platform/kernel/CodePage.h"

#include <gtest/gtest.h>

namespace win {
namespace {

// GBK bytes of the program's own texts, written out so the test does not
// lean on the converter it checks.
struct RoundTrip {
  const char* utf8;
  std::string gbk;
  std::u16string wide;
};

const RoundTrip kTexts[] = {
    {"服务器连接失败！", "\xB7\xFE\xCE\xF1\xC6\xF7\xC1\xAC\xBD\xD3\xCA\xA7\xB0\xDC\xA3\xA1",
     u"服务器连接失败！"},
    {"运营状态：正常运营中",
     "\xD4\xCB\xD3\xAA\xD7\xB4\xCC\xAC\xA3\xBA\xD5\xFD\xB3\xA3\xD4\xCB\xD3\xAA\xD6\xD0",
     u"运营状态：正常运营中"},
    {"当前版本：", "\xB5\xB1\xC7\xB0\xB0\xE6\xB1\xBE\xA3\xBA", u"当前版本："},
    {"下载最新版本", "\xCF\xC2\xD4\xD8\xD7\xEE\xD0\xC2\xB0\xE6\xB1\xBE", u"下载最新版本"},
    {"LumbrixV1.0", "LumbrixV1.0", u"LumbrixV1.0"},
};

TEST(CodePage, ProgramTextsRoundTripByteForByte) {
  for (const auto& t : kTexts) {
    SCOPED_TRACE(t.utf8);
    EXPECT_EQ(WideFromMultiByte(CP_GBK, t.gbk), t.wide);
    EXPECT_EQ(WideFromMultiByte(CP_ACP, t.gbk), t.wide);
    EXPECT_EQ(MultiByteFromWide(CP_GBK, t.wide), t.gbk);
    EXPECT_EQ(MultiByteFromWide(CP_UTF8, t.wide), t.utf8);
    EXPECT_EQ(WideFromMultiByte(CP_UTF8, t.utf8), t.wide);
    EXPECT_EQ(AnsiText(t.utf8), t.gbk);
    EXPECT_EQ(Utf8FromAnsi(t.gbk), t.utf8);
  }
}

TEST(CodePage, ZeroOutputSizeAsksForTheSizeAndMinusOneCountsTheTerminator) {
  const std::string gbk = AnsiText("当前版本：");  // 5 characters, 10 bytes
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, gbk.c_str(), -1, nullptr, 0), 6);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, gbk.c_str(), int(gbk.size()), nullptr, 0), 5);
  const std::u16string wide = u"当前版本：";
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr), 11);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr), 16);

  char16_t out[6];
  ASSERT_EQ(MultiByteToWideChar(CP_GBK, 0, gbk.c_str(), -1, out, 6), 6);
  EXPECT_EQ(out[5], u'\0');
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, gbk.c_str(), -1, out, 5), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePage, RejectsBadArguments) {
  char16_t out[4];
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "a", 1, out, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "a", 0, out, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, nullptr, 1, out, 4), 0);
  const char def = '#';
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, nullptr, 0, &def, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

struct InvalidInput {
  const char* name;
  UINT codePage;
  std::string bytes;
  std::u16string expected;
};

TEST(CodePage, InvalidInputSequencesBecomeDefaultCharacters) {
  const InvalidInput cases[] = {
      {"gbk lead at end", CP_GBK, "a\x81", u"a?"},
      {"gbk lead before a bad trail", CP_GBK, "\x81\x7F", u"?\x7F"},
      {"gbk 0xFF", CP_GBK, "\xFF" "b", u"?b"},
      {"utf8 lone continuation", CP_UTF8, "\x80x", u"\uFFFDx"},
      {"utf8 cut at end", CP_UTF8, "x\xE6\x9C", u"x\uFFFD\uFFFD"},
      {"utf8 overlong", CP_UTF8, "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"utf8 surrogate", CP_UTF8, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WideFromMultiByte(c.codePage, c.bytes), c.expected);
    char16_t out[8];
    EXPECT_EQ(MultiByteToWideChar(c.codePage, MB_ERR_INVALID_CHARS, c.bytes.data(),
                                  int(c.bytes.size()), out, 8),
              0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  }
}

TEST(CodePage, UnmappableCharactersBecomeTheDefaultCharacter) {
  const std::u16string wide = u"a\u0E01\U0001F600b";  // neither Thai nor the emoji is in GBK
  char out[16];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_GBK, 0, wide.data(), int(wide.size()), out, sizeof out,
                                    "*", &usedDefault);
  EXPECT_EQ(std::string(out, size_t(n)), "a**b");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(MultiByteFromWide(CP_GBK, u"x\xD800y"), "x?y");
  EXPECT_EQ(MultiByteFromWide(CP_UTF8, u"x\xDC00"), "x\xEF\xBF\xBD");
}

TEST(CodePage, AstralCharactersSurviveUtf8) {
  const std::u16string wide = u"\U0001F600";
  EXPECT_EQ(MultiByteFromWide(CP_UTF8, wide), "\xF0\x9F\x98\x80");
  EXPECT_EQ(WideFromMultiByte(CP_UTF8, "\xF0\x9F\x98\x80"), wide);
}

}  // namespace
}  // namespace win
