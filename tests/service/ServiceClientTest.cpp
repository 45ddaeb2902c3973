#include "service/ServiceClient.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/kernel/CodePage.h"
#include "platform/kernel/Com.h"
#include "service/AuthCode.h"
#include "tests/support/LocalServers.h"

namespace lumbrix {
namespace {

using testing::CannedResponse;
using testing::RecordedRequest;
using testing::RecordingServer;

constexpr std::string_view kKey = "Lx7Qm2Vb9Rt4Kp8Zw3Nc6Hd1Fj5Gs0Ya2Ue9Wo4T";
constexpr const char* kEndpoint = "/index.php/api/Software/getInfo";

// The data field of a posted body, with the client's three escapes undone.
std::string CipherOf(const RecordedRequest& request) {
  const std::string prefix = "id=3&data=";
  EXPECT_TRUE(request.body.starts_with(prefix)) << request.body;
  std::string data = request.body.substr(prefix.size());
  for (auto [escaped, plain] : {std::pair{"%2F", "/"}, {"%26", "&"}, {"%2B", "+"}}) {
    for (auto at = data.find(escaped); at != std::string::npos; at = data.find(escaped)) data.replace(at, 3, plain);
  }
  return data;
}

class ServiceClientTest : public ::testing::Test {
 protected:
  void SetUp() override { client_.Init("3", server_.BaseUrl() + "/", kKey); }
  void Answer(std::string body) { server_.Route(kEndpoint, CannedResponse{200, {}, std::move(body)}); }
  RecordingServer server_;
  ServiceClient client_;
};

TEST_F(ServiceClientTest, GetInfoPostsTheEnvelopeAndDecipheresTheAnswer) {
  Answer(AuthCode::Encode(R"({"code":1,"data":{"version":"1.0"}})", kKey));
  EXPECT_EQ(client_.GetInfo(), R"({"code":1,"data":{"version":"1.0"}})");
  const RecordedRequest request = server_.LastRequest();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.path, kEndpoint);
  EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
  const std::string cipher = CipherOf(request);
  EXPECT_EQ(cipher.size(), 40u);
  EXPECT_EQ(request.body.find_first_of("+/", 10), std::string::npos);
  EXPECT_EQ(AuthCode::DecodeNative(cipher, kKey), "1");
}

TEST_F(ServiceClientTest, ParametersGoAsUtf8AndEachChineseCharacterCountsThreeBytes) {
  Answer("");
  client_.Request("Software/getInfo", win::AnsiText("数据"));  // n = 6 UTF-8 bytes
  // 4 + ceil(4 * (6 + 26) / 3): the GBK form (4 bytes) would give 44.
  EXPECT_EQ(CipherOf(server_.LastRequest()).size(), 47u);
}

TEST_F(ServiceClientTest, RequestsAtDifferentClockReadingsCarryDifferentData) {
  Answer("");
  client_.GetInfo();
  const std::string first = CipherOf(server_.LastRequest());
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  client_.GetInfo();
  const std::string second = CipherOf(server_.LastRequest());
  EXPECT_NE(first, second);
  EXPECT_NE(first.substr(0, 4), second.substr(0, 4));
}

TEST_F(ServiceClientTest, BadAnswersGiveAnEmptyText) {
  const std::string good = AuthCode::Encode(R"({"code":1})", kKey);
  const std::string cases[] = {
      "",
      AuthCode::Encode(R"({"code":1})", "some other key"),
      good.substr(0, 20),
      "not a cipher text at all",
  };
  for (const std::string& body : cases) {
    Answer(body);
    EXPECT_EQ(client_.GetInfo(), "") << body;
  }
  // The body counts as text up to its first zero byte.
  Answer(good + std::string("\0trailing", 9));
  EXPECT_EQ(client_.GetInfo(), R"({"code":1})");
}

TEST(ServiceClient, AnUnreachableServiceGivesAnEmptyText) {
  ServiceClient client;
  client.Init("3", "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/", kKey);
  EXPECT_EQ(client.GetInfo(), "");
}

TEST(ServiceClient, ConstructionBracketsComInitialisation) {
  const unsigned before = win::ComInitializationDepth();
  {
    ServiceClient client;
    EXPECT_EQ(win::ComInitializationDepth(), before + 1);
    ServiceClient copy(client);
    EXPECT_EQ(win::ComInitializationDepth(), before + 2);
  }
  EXPECT_EQ(win::ComInitializationDepth(), before);
}

TEST(ServiceClient, EscapesInTheirOrder) {
  EXPECT_EQ(EscapeCipherText("a+b/c&d"), "a%2Bb%2Fc%26d");
  EXPECT_EQ(EscapeCipherText("%2B"), "%2B");  // only the three characters change
}

}  // namespace
}  // namespace lumbrix
