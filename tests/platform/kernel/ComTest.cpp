#include <gtest/gtest.h>

#include "platform/kernel/Com.h"

namespace win {
namespace {

TEST(Com, InitializationIsCountedPerThread) {
  const unsigned before = ComInitializationDepth();
  EXPECT_EQ(CoInitialize(nullptr), before == 0 ? S_OK : S_FALSE);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(ComInitializationDepth(), before + 2);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(ComInitializationDepth(), before);
}

TEST(Guid, TextRoundTripsInUpperCaseBraces) {
  const GUID guid = {0x0E59F1D5, 0x1FBE, 0x11D0, {0x8F, 0xF2, 0x00, 0xA0, 0xD1, 0x00, 0x38, 0xBC}};
  char16_t text[39];
  ASSERT_EQ(StringFromGUID2(guid, text, 39), 39);
  EXPECT_EQ(std::u16string(text), u"{0E59F1D5-1FBE-11D0-8FF2-00A0D10038BC}");
  GUID back{};
  ASSERT_EQ(CLSIDFromString(text, &back), NOERROR);
  EXPECT_EQ(back, guid);
  ASSERT_EQ(CLSIDFromString(u"{0e59f1d5-1fbe-11d0-8ff2-00a0d10038bc}", &back), NOERROR);
  EXPECT_EQ(back, guid);
  EXPECT_EQ(StringFromGUID2(guid, text, 38), 0);
}

TEST(Guid, MalformedTextsAreRefused) {
  const char16_t* bad[] = {u"", u"{0E59F1D5}", u"0E59F1D5-1FBE-11D0-8FF2-00A0D10038BC",
                           u"{0E59F1D5-1FBE-11D0-8FF2-00A0D10038BG}",
                           u"{0E59F1D5-1FBE-11D0-8FF2-00A0D10038BC}x",
                           u"{0E59F1D5+1FBE-11D0-8FF2-00A0D10038BC}"};
  for (const char16_t* text : bad) {
    GUID g{};
    EXPECT_EQ(CLSIDFromString(text, &g), CO_E_CLASSSTRING);
  }
}

}  // namespace
}  // namespace win
