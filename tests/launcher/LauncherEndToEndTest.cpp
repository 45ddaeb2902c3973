// The launcher run headless (lumbrix-snapshot) against a real reference
// service holding the data each test chooses.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/LocalServers.h"

namespace lumbrix {
namespace {

using testing::ChildProcess;
using testing::RunProgram;

const std::string kService = LUMBRIX_SERVICE_BINARY;
const std::string kSnapshot = LUMBRIX_SNAPSHOT_BINARY;

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class LauncherRun : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = (dir_.Path() / "service.db").string();
    ASSERT_EQ(RunProgram(kService, {"admin", "--db", db_, "init"}), 0);
  }
  void StartService() {
    port_ = testing::ClosedPort();
    service_ = std::make_unique<ChildProcess>(
        kService, std::vector<std::string>{"serve", "--db", db_, "--listen", "127.0.0.1:" + std::to_string(port_)}, true);
    ASSERT_TRUE(testing::WaitForPort(port_));
  }
  void SetApp(const std::vector<std::string>& fields) {
    std::vector<std::string> args{"admin", "--db", db_, "set-app", "--id", "3"};
    args.insert(args.end(), fields.begin(), fields.end());
    ASSERT_EQ(RunProgram(kService, args), 0);
  }
  // Runs the launcher for `ms` of virtual time; returns its exit code.
  int Run(int ms, std::vector<std::string> extra = {}, std::string service = "") {
    if (service.empty()) service = "http://127.0.0.1:" + std::to_string(port_) + "/";
    out_ = dir_.Path() / ("run" + std::to_string(runs_++));
    std::vector<std::string> args{"--out", out_.string(), "--ms", std::to_string(ms), "--every", "100", "--service", service};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunProgram(kSnapshot, args);
  }
  std::string Tree(const std::string& stem = "tree") const { return Read(out_ / (stem + ".json")); }
  static std::string StatusPart(const std::string& tree, int part) {
    std::smatch m;
    const std::regex parts(R"re("parts":\[\{"right":140,"text":"([^"]*)"\},\{"right":375,"text":"([^"]*)"\}\])re");
    return std::regex_search(tree, m, parts) ? m[part + 1].str() : "<no status bar>";
  }
  static std::string Field(const std::string& tree, int id, const char* field) {
    std::smatch m;
    const std::regex control("\"id\":" + std::to_string(id) + R"re(,"text":"([^"]*)","rect":\[[^\]]*\],"visible":(true|false))re");
    if (!std::regex_search(tree, m, control)) return "<no control>";
    return std::string(field) == "text" ? m[1].str() : m[2].str();
  }

  testing::TempDir dir_;
  std::string db_;
  int port_ = 0;
  int runs_ = 0;
  std::unique_ptr<ChildProcess> service_;
  std::filesystem::path out_;
};

TEST_F(LauncherRun, VersionsDecideTheStatusTextAndTheLink) {
  StartService();
  struct Case {
    const char* version;
    const char* part1;
    const char* linkVisible;
  };
  const Case cases[] = {
      {"1.0", "当前版本：1.0  已是最新版本", "false"},
      {"0.9", "当前版本：1.0  最新版本：0.9", "true"},  // lower still counts as different
      {"", "当前版本：1.0  最新版本：", "true"},
      {"2.0", "当前版本：1.0  最新版本：2.0", "true"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    SetApp({"--version", c.version});
    ASSERT_EQ(Run(0), 0);
    const std::string tree = Tree();
    EXPECT_EQ(StatusPart(tree, 1), c.part1);
    EXPECT_EQ(Field(tree, 1004, "visible"), c.linkVisible);
    EXPECT_NE(tree.find("\"text\":\"LumbrixV1.0\""), std::string::npos);  // whatever the service says
  }
}

TEST_F(LauncherRun, StatesSelectTheOperatingText) {
  StartService();
  const std::pair<const char*, const char*> cases[] = {
      {"1", "运营状态：正常运营中"}, {"2", "运营状态：已停止运营"}, {"3", "运营状态：免费运营中"},
      {"4", "运营状态:"},            {"", "运营状态:"},
  };
  for (const auto& [state, text] : cases) {
    SCOPED_TRACE(state);
    SetApp({"--state", state});
    ASSERT_EQ(Run(0), 0);
    EXPECT_EQ(StatusPart(Tree(), 0), text);
  }
}

TEST_F(LauncherRun, ChineseNoticeAndStaticDataReachTheirLabels) {
  SetApp({"--notice", "今日公告：服务器维护", "--static-data", "客服：周一至周五"});
  StartService();
  ASSERT_EQ(Run(0), 0);
  const std::string tree = Tree();
  EXPECT_EQ(Field(tree, 1003, "text"), "今日公告：服务器维护");
  EXPECT_EQ(Field(tree, 1005, "text"), "客服：周一至周五");
}

// The label row of a frame (main-window coordinates), as BGRA words.
std::vector<std::uint32_t> LabelRow(const std::filesystem::path& png, int y) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
  std::vector<std::uint32_t> row;
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    const auto* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const auto* pixels = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
    row.assign(pixels + 5, pixels + 5 + 372);  // the page clips the label's last column
  }
  cairo_surface_destroy(image);
  return row;
}

TEST_F(LauncherRun, TheAnnouncementMovesAfter300ms) {
  SetApp({"--notice", "MOVING MOVING MOVING MOVING"});
  StartService();
  ASSERT_EQ(Run(300), 0);
  // The label sits at (5, 236) in the main window, 20 pixels high.
  bool moved = false;
  for (int y = 236; y < 256; ++y) {
    const auto before = LabelRow(out_ / "frame-00200.png", y);
    const auto after = LabelRow(out_ / "frame-00300.png", y);
    ASSERT_EQ(before.size(), 372u);
    if (before != after) moved = true;
    EXPECT_TRUE(std::equal(after.begin(), after.end() - 5, before.begin() + 5)) << "row " << y;
  }
  EXPECT_TRUE(moved);
}

TEST_F(LauncherRun, APressOnTheLinkOpensTheAddressOncePerPress) {
  SetApp({"--version", "2.0", "--update-data", "http://127.0.0.1/lumbrix-2.0.zip"});
  StartService();
  // The link: page at (55, 286) on the screen, the link at (296, 104) on it.
  ASSERT_EQ(Run(2000, {"--press", "361,395@500", "--press", "361,395@1500", "--press", "100,100@1800"}), 0);
  EXPECT_EQ(Read(out_ / "shell.log"), "http://127.0.0.1/lumbrix-2.0.zip\nhttp://127.0.0.1/lumbrix-2.0.zip\n");
}

TEST_F(LauncherRun, AnUnreachableServiceShowsTheErrorBoxThatClosesAfterEightSeconds) {
  ASSERT_EQ(Run(20000, {}, "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/"), 0);
  EXPECT_EQ(Read(out_ / "exit.json"), "{\"ms\":8000,\"code\":0}\n");
  const std::string during = Tree("tree-01000");
  EXPECT_NE(during.find("\"class\":\"#32770\",\"id\":0,\"text\":\"错误\""), std::string::npos) << during;
  EXPECT_EQ(during.find("LumbrixMainWindow\",\"id\":0,\"text\":\"LumbrixV1.0\",\"rect\":[50,50,430,435],\"visible\":true"),
            std::string::npos);
}

TEST_F(LauncherRun, AnAnswerUnderAnotherKeyCountsAsFailure) {
  SetApp({"--key", "AnotherKeyAnotherKeyAnotherKeyAnotherKey"});
  StartService();
  ASSERT_EQ(Run(9000), 0);
  EXPECT_EQ(Read(out_ / "exit.json"), "{\"ms\":8000,\"code\":0}\n");
}

}  // namespace
}  // namespace lumbrix
