#include "service/WebAccess.h"

#include <gtest/gtest.h>

#include "platform/inet/Internet.h"
#include "platform/kernel/CodePage.h"
#include "tests/support/LocalServers.h"

namespace lumbrix {
namespace {

using testing::CannedResponse;
using testing::RecordedRequest;
using testing::RecordingServer;

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class WebAccessTest : public ::testing::Test {
 protected:
  void SetUp() override { server_.Route("/echo", CannedResponse{200, {}, "ok"}); }
  std::string Url(const std::string& path) const { return server_.BaseUrl() + path; }
  RecordingServer server_;
};

TEST(WebAccessPieces, TextBetweenFindsTheFirstPairAndKnowsTheQuoteMarker) {
  EXPECT_EQ(TextBetween("a[b]c[d]", "[", "]"), "b");
  EXPECT_EQ(TextBetween("no markers", "[", "]"), "");
  EXPECT_EQ(TextBetween("[open only", "[", "]"), "");
  EXPECT_EQ(TextBetween("x=\"quoted\";", win::AnsiText("=#引号"), win::AnsiText("#引号")), "quoted");
  EXPECT_EQ(TextBetween("Case", "c", "e"), "");
}

TEST(WebAccessPieces, AddressesAreReadIntoHostPortAndPath) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* path;
    bool secure;
  };
  const Case cases[] = {
      {"example.com/a", "example.com", 80, "/a", false},
      {"http://Example.COM:8080", "example.com", 8080, "/", false},
      {"HTTPS://Secure.example/Path/To?Q=Up", "secure.example", 443, "/Path/To?Q=Up", true},
      {"https://h:8443/x", "h", 8443, "/x", true},
      {"http://127.0.0.1:5/index.php/api/Software/getInfo", "127.0.0.1", 5, "/index.php/api/Software/getInfo", false},
      {"host", "host", 80, "/", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    const WebAddress address = ParseWebAddress(c.url);
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.port, c.port);
    EXPECT_EQ(address.path, c.path);
    EXPECT_EQ(address.secure, c.secure);
  }
}

TEST(WebAccessPieces, HeaderBlockAddsOnlyWhatIsMissing) {
  const std::string url = "http://h/p";
  EXPECT_EQ(BuildHeaderBlock(url, "", ""),
            "Accept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
            "Content-Type: application/x-www-form-urlencoded");
  EXPECT_EQ(BuildHeaderBlock(url, "Accept: text/html", ""),
            "Accept: text/html\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
            "Content-Type: application/x-www-form-urlencoded");
  EXPECT_EQ(BuildHeaderBlock(url, "X: 1", "a=1"),
            "X: 1\r\nAccept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nCookie: a=1");
  EXPECT_TRUE(BuildHeaderBlock(url, "", "Cookie: b=2").ends_with("\r\nCookie: b=2"));
}

TEST(WebAccessPieces, CookiesAreTakenFromSetCookieLines) {
  EXPECT_EQ(CookiesFromHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: sid=9; path=/\r\nSet-Cookie: t=x\r\n\r\n"), "sid=9; t=x");
  EXPECT_EQ(CookiesFromHeaders("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"), "");
}

TEST_F(WebAccessTest, MethodsOutsideTheTableSendGetWithTheDefaultHeaders) {
  const Bytes body = WebAccess(Url("/echo"), 7);
  EXPECT_EQ(AsText(body), "ok");
  const RecordedRequest r = server_.LastRequest();
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(r.Header("Accept"), "*/*");
  EXPECT_EQ(r.Header("Referer"), Url("/echo"));
  EXPECT_EQ(r.Header("Accept-Language"), "zh-cn");
  EXPECT_EQ(r.Header("User-Agent"), kDefaultUserAgent);
}

TEST_F(WebAccessTest, PostSendsTheTextOrTheBytesAndHeadSendsNoBody) {
  WebAccess(Url("/echo"), 1, std::string("id=3&data=x"));
  EXPECT_EQ(server_.LastRequest().method, "POST");
  EXPECT_EQ(server_.LastRequest().body, "id=3&data=x");
  WebAccess(Url("/echo"), 1, std::string("ignored"), {}, nullptr, {}, nullptr, {}, Bytes{'b', 0, 'y'});
  EXPECT_EQ(server_.LastRequest().body, std::string("b\0y", 3));
  std::string headers;
  EXPECT_TRUE(WebAccess(Url("/echo"), 2, std::string("x"), {}, nullptr, {}, &headers).empty());
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200"));
}

TEST_F(WebAccessTest, CallerHeadersReplaceDefaultsAndNameTheUserAgent) {
  WebAccess(Url("/echo"), 0, {}, {}, nullptr, std::string("Accept: text/html\r\nUser-Agent:  Lumbrix Probe "));
  const RecordedRequest r = server_.LastRequest();
  EXPECT_EQ(r.Header("Accept"), "text/html");
  EXPECT_EQ(r.Header("User-Agent"), "Lumbrix Probe");
  EXPECT_EQ(r.Header("Accept-Language"), "zh-cn");
}

TEST_F(WebAccessTest, CookiesPassedAreSentAndSwitchTheStoreOff) {
  server_.Route("/set", CannedResponse{200, {{"Set-Cookie", "kept=1; path=/"}}, ""});
  WebAccess(Url("/set"));
  WebAccess(Url("/echo"));
  EXPECT_EQ(server_.LastRequest().Header("Cookie"), "kept=1");  // the store carries it

  WebAccess(Url("/echo"), 0, {}, std::string("a=1"));
  EXPECT_EQ(server_.LastRequest().Header("Cookie"), "a=1");
  WebAccess(Url("/echo"), 0, {}, std::string(""));
  EXPECT_FALSE(server_.LastRequest().HasHeader("Cookie"));

  server_.Route("/set2", CannedResponse{200, {{"Set-Cookie", "ignored=1"}}, ""});
  WebAccess(Url("/set2"), 0, {}, std::string(""));  // the store is off: not remembered
  WebAccess(Url("/echo"));
  EXPECT_EQ(server_.LastRequest().Header("Cookie"), "kept=1");
}

TEST_F(WebAccessTest, ReturnedCookiesAndHeadersSpellSetCookieOneWay) {
  server_.Route("/cookies", CannedResponse{200, {{"set-cookie", "sid=9; path=/"}, {"Set-Cookie", "t=x"}}, ""});
  std::string cookies = "stale", headers;
  WebAccess(Url("/cookies"), 0, {}, {}, &cookies, {}, &headers);
  EXPECT_EQ(cookies, "sid=9; t=x");
  EXPECT_NE(headers.find("Set-Cookie: sid=9; path=/\r\n"), std::string::npos);
  EXPECT_NE(headers.find("Set-Cookie: t=x\r\n"), std::string::npos);
  EXPECT_EQ(headers.find("set-cookie"), std::string::npos);

  WebAccess(Url("/echo"), 0, {}, {}, &cookies);
  EXPECT_EQ(cookies, "");
}

TEST_F(WebAccessTest, HeaderBlocksLongerThanTheBufferComeBackWhole) {
  CannedResponse big{200, {{"Set-Cookie", "long=1"}}, ""};
  for (int i = 0; i < 60; ++i) big.headers.emplace_back("X-Filler-" + std::to_string(i), std::string(100, 'f'));
  server_.Route("/big", big);
  std::string cookies, headers;
  WebAccess(Url("/big"), 0, {}, {}, &cookies, {}, &headers);
  EXPECT_GT(headers.size(), 6000u);
  EXPECT_NE(headers.find("X-Filler-59: "), std::string::npos);
  EXPECT_EQ(cookies, "long=1");
}

TEST_F(WebAccessTest, AddressesWithoutSchemeAndWithAPortInTheHostPart) {
  server_.Route("/a", CannedResponse{200, {}, "from a"});
  EXPECT_EQ(AsText(WebAccess("127.0.0.1:" + std::to_string(server_.Port()) + "/a")), "from a");
  server_.Route("/", CannedResponse{200, {}, "root"});
  EXPECT_EQ(AsText(WebAccess("http://127.0.0.1:" + std::to_string(server_.Port()))), "root");
  EXPECT_EQ(server_.LastRequest().path, "/");
}

TEST_F(WebAccessTest, RedirectsAreFollowedUnlessAskedNotTo) {
  server_.Route("/moved", CannedResponse{302, {{"Location", "/echo"}}, "moved"});
  EXPECT_EQ(AsText(WebAccess(Url("/moved"), 1, std::string("x"))), "ok");
  EXPECT_EQ(server_.LastRequest().path, "/echo");
  EXPECT_EQ(server_.LastRequest().method, "GET");

  std::string headers;
  EXPECT_EQ(AsText(WebAccess(Url("/moved"), 0, {}, {}, nullptr, {}, &headers, true)), "moved");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 302")) << headers;
  EXPECT_EQ(server_.LastRequest().path, "/moved");
}

TEST_F(WebAccessTest, AnHttpAddressDoesNotFollowARedirectToHttps) {
  testing::TempDir dir;
  const testing::TestCertificates certificates(dir.Path());
  RecordingServer secure(certificates.serverCertificate, certificates.serverKey);
  secure.Route("/target", CannedResponse{200, {}, "secure"});
  win::InternetTrustRootCertificates(certificates.caCertificate.c_str());
  EXPECT_EQ(AsText(WebAccess(secure.BaseUrl() + "/target")), "secure");

  server_.Route("/up", CannedResponse{301, {{"Location", secure.BaseUrl() + "/target"}}, "stay"});
  std::string headers;
  EXPECT_EQ(AsText(WebAccess(Url("/up"), 0, {}, {}, nullptr, {}, &headers)), "stay");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 301"));
  EXPECT_EQ(secure.Requests().size(), 1u);
  win::InternetTrustRootCertificates(nullptr);
}

TEST_F(WebAccessTest, BodiesAreReadWholeWithTheirZeroBytes) {
  std::string large(1 << 20, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = char(i * 7 % 251);
  server_.Route("/large", CannedResponse{200, {{"Content-Type", "application/octet-stream"}}, large});
  const Bytes body = WebAccess(Url("/large"));
  ASSERT_EQ(body.size(), large.size());
  EXPECT_EQ(AsText(body), large);
}

TEST_F(WebAccessTest, ThroughAForwardProxy) {
  if (!testing::Tinyproxy::Available()) GTEST_SKIP() << "tinyproxy is not installed";
  testing::Tinyproxy proxy;
  const Bytes body = WebAccess(Url("/echo"), 0, {}, {}, nullptr, {}, nullptr, {}, {},
                               "127.0.0.1:" + std::to_string(proxy.Port()));
  EXPECT_EQ(AsText(body), "ok");
  EXPECT_NE(server_.LastRequest().Header("Via").find("tinyproxy"), std::string::npos);
}

TEST_F(WebAccessTest, HttpsThroughAForwardProxyTunnels) {
  if (!testing::Tinyproxy::Available()) GTEST_SKIP() << "tinyproxy is not installed";
  testing::TempDir dir;
  const testing::TestCertificates certificates(dir.Path());
  RecordingServer secure(certificates.serverCertificate, certificates.serverKey);
  secure.Route("/t", CannedResponse{200, {}, "tunnelled"});
  win::InternetTrustRootCertificates(certificates.caCertificate.c_str());
  testing::Tinyproxy proxy;
  const Bytes body = WebAccess(secure.BaseUrl() + "/t", 0, {}, {}, nullptr, {}, nullptr, {}, {},
                               "127.0.0.1:" + std::to_string(proxy.Port()));
  EXPECT_EQ(AsText(body), "tunnelled");
  win::InternetTrustRootCertificates(nullptr);
}

TEST(WebAccessFailures, NoAnswerGivesEmptyResultsAndUnopenableAddressesTouchNothing) {
  const win::DWORD shortWait = 1000;
  win::InternetSetOptionA(nullptr, win::INTERNET_OPTION_CONNECT_TIMEOUT, const_cast<win::DWORD*>(&shortWait), 4);
  win::InternetSetOptionA(nullptr, win::INTERNET_OPTION_RECEIVE_TIMEOUT, const_cast<win::DWORD*>(&shortWait), 4);
  testing::SilentServer silent;
  std::string cookies = "before", headers = "before";
  EXPECT_TRUE(WebAccess("http://127.0.0.1:" + std::to_string(silent.Port()) + "/", 0, {}, {}, &cookies, {}, &headers).empty());
  EXPECT_EQ(headers, "");
  EXPECT_EQ(cookies, "");

  cookies = headers = "before";
  EXPECT_TRUE(WebAccess("http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/", 0, {}, {}, &cookies, {}, &headers).empty());
  EXPECT_EQ(headers, "");

  cookies = headers = "before";
  EXPECT_TRUE(WebAccess("http:///nohost", 0, {}, {}, &cookies, {}, &headers).empty());
  EXPECT_EQ(headers, "before");
  EXPECT_EQ(cookies, "before");
}

}  // namespace
}  // namespace lumbrix
