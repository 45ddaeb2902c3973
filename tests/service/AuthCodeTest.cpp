#include "service/AuthCode.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>

#include "platform/kernel/CodePage.h"
#include "script/ScriptHost.h"
#include "script/carried/CarriedScripts.h"
#include "service/Base64.h"
#include "service/Md5.h"
#include "service/Rc4.h"

namespace lumbrix {
namespace {

constexpr std::string_view kKey = "Lx7Qm2Vb9Rt4Kp8Zw3Nc6Hd1Fj5Gs0Ya2Ue9Wo4T";

// A host with the cipher script loaded, to reach its helper functions.
class CipherScript {
 public:
  CipherScript() { EXPECT_TRUE(host_.ExecuteStatement(kAuthCodeScript)); }
  std::string Call(std::string_view name, const OptionalText& a = {}, const OptionalText& b = {},
                   const OptionalText& c = {}, const OptionalText& d = {}) {
    return host_.Run(name, a, b, c, d);
  }
  std::string Encode(const std::string& plain, const std::string& key) {
    return Call("uc_authcode", plain, "ENCODE", key, "0");
  }

 private:
  ScriptHost host_;
};

std::uint64_t Now() {
  using namespace std::chrono;
  return std::uint64_t(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

TEST(Md5, Rfc1321TestSuiteNativeAndScripted) {
  const std::pair<const char*, const char*> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  CipherScript script;
  for (const auto& [input, digest] : suite) {
    SCOPED_TRACE(input);
    EXPECT_EQ(Md5Hex(input), digest);
    EXPECT_EQ(script.Call("md5", input), digest);
  }
  EXPECT_EQ(script.Call("md5_vm_test"), "true");
  // HMAC-MD5, RFC 2104's second test case.
  EXPECT_EQ(script.Call("hex_hmac_md5", "Jefe", "what do ya want for nothing?"),
            "750c783e6ab0b503eaa86e310a5db738");
}

TEST(Md5, ScriptDigestsTheUtf8FormOfItsCharacters) {
  CipherScript script;
  EXPECT_EQ(script.Call("md5", win::AnsiText("数据")), Md5Hex("数据"));
}

TEST(Base64, Rfc4648VectorsNativeAndScripted) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  CipherScript script;
  for (const auto& [plain, encoded] : vectors) {
    SCOPED_TRACE(plain);
    EXPECT_EQ(Base64Encode(plain), encoded);
    EXPECT_EQ(script.Call("base64_encode", plain), encoded);
    const std::u16string wide(encoded, encoded + std::strlen(encoded));
    EXPECT_EQ(AuthCodeBase64Decode(wide), plain);
    EXPECT_EQ(script.Call("base64_decode", encoded), plain);
  }
}

TEST(Base64, LenientReadingRules) {
  const std::pair<std::u16string, std::string> cases[] = {
      {u"Zm9v YmFy", "foobar"},          // outside the alphabet: skipped
      {u"Zm9v\r\nYmFy", "foobar"},
      {u"Zm8=Zm9v", "fo"},               // "=" as a fourth value ends the text
      {u"Zg==Zm9v", "f"},                // ... and as a third
      {u"=Zm9v", "foo"},                 // "=" as a first value is skipped
      {u"Zm9vY", "foo"},                 // a last group of one value gives nothing
      {u"Zm9vYmE", "fooba"},
      {u"\u015A\u016D9v", "foo"},        // characters reduced to their low 8 bits
  };
  for (const auto& [text, bytes] : cases) {
    EXPECT_EQ(AuthCodeBase64Decode(text), bytes) << win::MultiByteFromWide(win::CP_UTF8, text);
  }
}

TEST(Rc4, PublishedKeystreamVectors) {
  const struct {
    std::string key, plain, cipherHex;
  } vectors[] = {
      {"Key", "Plaintext", "bbf316e8d940af0ad3"},
      {"Wiki", "pedia", "1021bf0420"},
      {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"},
      {"\x01\x02\x03\x04\x05", std::string(16, '\0'), "b2396305f03dc027ccc3524a0a1118a8"},
  };
  for (const auto& v : vectors) {
    std::string data = v.plain;
    Rc4(v.key).Apply(data);
    std::string hex;
    for (unsigned char c : data) {
      static const char digits[] = "0123456789abcdef";
      hex += digits[c >> 4];
      hex += digits[c & 15];
    }
    EXPECT_EQ(hex, v.cipherHex) << v.key;
  }
}

TEST(AuthCode, CipherTextLengths) {
  const std::pair<std::size_t, std::size_t> lengths[] = {{1, 40}, {2, 42}, {3, 43}, {4, 44}, {100, 4 + 168}};
  for (const auto& [plainLength, cipherLength] : lengths) {
    const std::string cipher = AuthCode::Encode(std::string(plainLength, 'p'), kKey);
    EXPECT_EQ(cipher.size(), cipherLength) << plainLength;
    EXPECT_EQ(cipher.find('='), std::string::npos);
    EXPECT_EQ(cipher.substr(0, 4).find_first_not_of("0123456789abcdef"), std::string::npos);
  }
}

TEST(AuthCode, DecodeRestoresAsciiTextsAndRefusesEverythingElse) {
  for (const std::string& plain : std::vector<std::string>{"1", "{\"code\":1}", "a b\tc", std::string(1000, 'x')}) {
    const std::string cipher = AuthCode::Encode(plain, kKey);
    EXPECT_EQ(AuthCode::Decode(cipher, kKey), plain);
    EXPECT_EQ(AuthCode::DecodeNative(cipher, kKey), plain);
  }
  const std::string highByte = AuthCode::Encode("caf\xE9", kKey);
  const std::string chinese = AuthCode::Encode("数据", kKey);  // UTF-8 bytes, digested raw
  const std::string otherKey = AuthCode::Encode("hello", "another key");
  for (const std::string& refused : std::vector<std::string>
       {highByte, chinese, otherKey, std::string(), std::string("abcd"), std::string("abcdZm9v"),
        std::string("!!!!@@@@####$$$$"), AuthCode::Encode("hello", kKey).substr(0, 30)}) {
    EXPECT_EQ(AuthCode::Decode(refused, kKey), "") << refused;
    EXPECT_EQ(AuthCode::DecodeNative(refused, kKey), "") << refused;
  }
}

TEST(AuthCode, ExpiryInThePastRefusedInTheFutureAccepted) {
  const std::string past = AuthCode::EncodeFrame("plain", kKey, "0a1b", Now() - 10);
  const std::string future = AuthCode::EncodeFrame("plain", kKey, "0a1b", Now() + 3600);
  EXPECT_EQ(AuthCode::Decode(past, kKey), "");
  EXPECT_EQ(AuthCode::DecodeNative(past, kKey), "");
  EXPECT_EQ(AuthCode::Decode(future, kKey), "plain");
  EXPECT_EQ(AuthCode::DecodeNative(future, kKey), "plain");
}

TEST(AuthCode, Base64PartSplitBySpacesAndLineBreaks) {
  const std::string cipher = AuthCode::Encode("split me across lines", kKey);
  std::string split = cipher.substr(0, 4);
  for (std::size_t i = 4; i < cipher.size(); ++i) {
    split += cipher[i];
    if (i % 7 == 0) split += "\r\n";
    if (i % 5 == 0) split += ' ';
  }
  EXPECT_EQ(AuthCode::Decode(split, kKey), "split me across lines");
  EXPECT_EQ(AuthCode::DecodeNative(split, kKey), "split me across lines");
}

TEST(AuthCode, ScriptAndNativeReadEachOther) {
  std::mt19937 random(20261211);
  auto text = [&](std::size_t length, std::string_view alphabet) {
    std::string s;
    for (std::size_t i = 0; i < length; ++i) s += alphabet[random() % alphabet.size()];
    return s;
  };
  const std::string printable =
      " !#$%()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{|}~";
  CipherScript script;
  for (int round = 0; round < 40; ++round) {
    const std::string key = text(1 + random() % 60, printable);
    const std::string plain = text(1 + random() % 300, printable);
    SCOPED_TRACE(key + " / " + plain);
    const std::string scripted = script.Encode(plain, key);
    EXPECT_EQ(AuthCode::DecodeNative(scripted, key), plain);
    EXPECT_EQ(AuthCode::Decode(AuthCode::Encode(plain, key), key), plain);
  }
}

// DECODE gives the same answer natively and scripted for any text at all:
// a valid cipher with bytes changed, and text with any characters.
TEST(AuthCode, NativeAndScriptedDecodeAgreeOnArbitraryInput) {
  std::mt19937 random(7);
  for (int round = 0; round < 60; ++round) {
    std::string cipher = AuthCode::Encode("payload " + std::to_string(round), kKey);
    const int changes = round % 4;
    for (int i = 0; i < changes; ++i) cipher[4 + random() % (cipher.size() - 4)] = char(random() % 256);
    if (round % 5 == 0) cipher = win::AnsiText("中文") + cipher;
    EXPECT_EQ(AuthCode::DecodeNative(cipher, kKey), AuthCode::Decode(cipher, kKey)) << round;
  }
}

}  // namespace
}  // namespace lumbrix
