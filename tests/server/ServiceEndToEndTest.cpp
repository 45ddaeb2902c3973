// The reference service as a real process, with the launcher's client.
#include <gtest/gtest.h>

#include "lumbrix/BuildConstants.h"
#include "platform/kernel/CodePage.h"
#include "script/JsonDocument.h"
#include "server/InfoService.h"
#include "service/AuthCode.h"
#include "service/ServiceClient.h"
#include "service/WebAccess.h"
#include "tests/support/LocalServers.h"

namespace lumbrix {
namespace {

using testing::ChildProcess;
using testing::RunProgram;

const std::string kService = LUMBRIX_SERVICE_BINARY;

class ServiceProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = (dir_.Path() / "service.db").string();
    ASSERT_EQ(RunProgram(kService, {"admin", "--db", db_, "init"}), 0);
    port_ = testing::ClosedPort();
    process_ = std::make_unique<ChildProcess>(
        kService, std::vector<std::string>{"serve", "--db", db_, "--listen", "127.0.0.1:" + std::to_string(port_)},
        /*quiet=*/true);
    ASSERT_TRUE(testing::WaitForPort(port_));
    client_.Init(build::kAppId, BaseAddress(), build::kAppKey);
  }
  std::string BaseAddress() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::string Url() const { return BaseAddress() + "index.php/api/Software/getInfo"; }
  int SetApp(const std::vector<std::string>& fields) {
    std::vector<std::string> args{"admin", "--db", db_, "set-app"};
    args.insert(args.end(), fields.begin(), fields.end());
    return RunProgram(kService, args);
  }
  // Status line of a raw exchange.
  std::string StatusOf(int method, const std::string& body) {
    std::string headers;
    WebAccess(Url(), method, body, {}, nullptr, {}, &headers);
    return headers.substr(0, headers.find("\r\n"));
  }

  testing::TempDir dir_;
  std::string db_;
  int port_ = 0;
  std::unique_ptr<ChildProcess> process_;
  ServiceClient client_;
};

TEST_F(ServiceProcess, GetInfoReadsEveryFieldOfTheDemoApplication) {
  JsonDocument answer;
  ASSERT_TRUE(answer.Parse(client_.GetInfo()));
  EXPECT_EQ(answer.GetText("code"), "1");
  EXPECT_EQ(answer.GetText("data.version"), "1.0");
  EXPECT_EQ(answer.GetText("data.software_state"), "1");
  EXPECT_EQ(win::Utf8FromAnsi(answer.GetText("data.notice")),
            "欢迎使用 Lumbrix 启动器！本公告由本地参考服务提供，内容可随时用 set-app 修改。");
  EXPECT_EQ(win::Utf8FromAnsi(answer.GetText("data.static_data")), "静态数据：演示用数据库");
  EXPECT_TRUE(answer.GetText("data.update_data").starts_with("http://127.0.0.1:"));
}

TEST_F(ServiceProcess, AnEditShowsAtTheNextRequest) {
  ASSERT_EQ(SetApp({"--id", "3", "--version", "2.5", "--state", "3", "--notice", "新公告 ☃"}), 0);
  JsonDocument answer;
  ASSERT_TRUE(answer.Parse(client_.GetInfo()));
  EXPECT_EQ(answer.GetText("data.version"), "2.5");
  EXPECT_EQ(answer.GetText("data.software_state"), "3");
  // U+2603 has no GBK form: it arrives as the default character.
  EXPECT_EQ(win::Utf8FromAnsi(answer.GetText("data.notice")), "新公告 ?");

  ASSERT_EQ(SetApp({"--id", "8", "--key", "k8"}), 0);
  ServiceClient other;
  other.Init("8", BaseAddress(), "k8");
  ASSERT_TRUE(answer.Parse(other.GetInfo()));
  EXPECT_EQ(answer.GetText("code"), "1");
  EXPECT_NE(SetApp({"--id", "9", "--notice", "no key"}), 0);
}

TEST_F(ServiceProcess, MalformedRequestsGetTheirStatusAndTheServiceGoesOn) {
  const std::string valid = "id=3&data=" + EscapeCipherText(AuthCode::Encode("1", build::kAppKey));
  const std::pair<std::string, std::string> cases[] = {
      {"", "HTTP/1.1 400"},
      {"id=3", "HTTP/1.1 400"},
      {"id=3&data=%zz", "HTTP/1.1 400"},
      {"id=3&data=%2", "HTTP/1.1 400"},
      {"id=404&data=abcd", "HTTP/1.1 404"},
      {"id=3&data=" + std::string(70000, 'a'), "HTTP/1.1 413"},
  };
  for (const auto& [body, status] : cases) {
    EXPECT_TRUE(StatusOf(1, body).starts_with(status)) << body.substr(0, 40);
  }
  EXPECT_TRUE(StatusOf(0, "").starts_with("HTTP/1.1 405"));
  EXPECT_TRUE(StatusOf(1, valid).starts_with("HTTP/1.1 200"));

  // Data that does not decipher: an enciphered answer with code 0.
  const Bytes refused = WebAccess(Url(), 1, std::string("id=3&data=0000garbage"));
  JsonDocument answer;
  ASSERT_TRUE(answer.Parse(AuthCode::DecodeNative(std::string(refused.begin(), refused.end()), build::kAppKey)));
  EXPECT_EQ(answer.GetText("code"), "0");
  EXPECT_FALSE(answer.GetText("msg").empty());

  JsonDocument ok;
  ASSERT_TRUE(ok.Parse(client_.GetInfo()));
  EXPECT_EQ(ok.GetText("code"), "1");
}

TEST_F(ServiceProcess, StopsCleanlyOnSigterm) {
  const int status = process_->Stop();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(client_.GetInfo(), "");
}

TEST(InfoService, FormBodiesAndAsciiJson) {
  const auto fields = server::ParseFormBody("id=3&data=a%2Bb%2Fc%26d&x=1+2&flag");
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->at("data"), "a+b/c&d");
  EXPECT_EQ(fields->at("x"), "1 2");
  EXPECT_EQ(fields->at("flag"), "");
  EXPECT_FALSE(server::ParseFormBody("a=%4"));
  EXPECT_FALSE(server::ParseFormBody("a=%g0"));
  EXPECT_EQ(server::AsciiJsonString("a\"b\\c\n数😀"), R"("a\"b\\c\u000a\u6570\ud83d\ude00")");
}

}  // namespace
}  // namespace lumbrix
