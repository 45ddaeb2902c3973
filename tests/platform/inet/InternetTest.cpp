#include "platform/inet/Internet.h"

#include <gtest/gtest.h>

#include "tests/support/LocalServers.h"

namespace win {
namespace {

using lumbrix::testing::CannedResponse;
using lumbrix::testing::RecordingServer;

// The root, connection and request of one exchange, closed at the end.
struct Exchange {
  HINTERNET root = InternetOpenA("conformance", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  Exchange(int port, const char* verb, const char* path, DWORD flags = INTERNET_FLAG_RELOAD) {
    connection = InternetConnectA(root, "127.0.0.1", INTERNET_PORT(port), "", "", INTERNET_SERVICE_HTTP, 0, 0);
    request = HttpOpenRequestA(connection, verb, path, "HTTP/1.1", nullptr, nullptr, flags, 0);
  }
  ~Exchange() {
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(root);
  }
  std::string ReadAll() {
    std::string body;
    char chunk[7];
    DWORD read = 0;
    while (InternetReadFile(request, chunk, sizeof chunk, &read) && read > 0) body.append(chunk, read);
    return body;
  }
};

// Shorter time-outs for the tests that wait on silent servers, restored after.
class ShortTimeouts {
 public:
  explicit ShortTimeouts(DWORD ms) { Set(ms, ms); }
  ~ShortTimeouts() { Set(60000, 30000); }

 private:
  static void Set(DWORD connect, DWORD receive) {
    InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
  }
};

TEST(Internet, ARequestSentReadsItsBodyInChunksAndItsHeaderBlock) {
  RecordingServer server;
  server.Route("/hello", CannedResponse{200, {{"X-Test", "1"}}, "hello, world"});
  Exchange exchange(server.Port(), "GET", "/hello?q=1");
  const std::string block = "X-Sent: yes\r\n";
  ASSERT_TRUE(HttpSendRequestA(exchange.request, block.c_str(), DWORD(block.size()), nullptr, 0));
  EXPECT_EQ(exchange.ReadAll(), "hello, world");
  EXPECT_EQ(server.LastRequest().path, "/hello?q=1");
  EXPECT_EQ(server.LastRequest().Header("X-Sent"), "yes");
  EXPECT_FALSE(server.LastRequest().HasHeader("Accept"));  // none unless asked for

  DWORD length = 4;
  char small[4];
  EXPECT_FALSE(HttpQueryInfoA(exchange.request, HTTP_QUERY_RAW_HEADERS_CRLF, small, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  std::string headers(length, '\0');
  ASSERT_TRUE(HttpQueryInfoA(exchange.request, HTTP_QUERY_RAW_HEADERS_CRLF, headers.data(), &length, nullptr));
  headers.resize(length);
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n")) << headers;
  EXPECT_NE(headers.find("X-Test: 1\r\n"), std::string::npos);
  EXPECT_TRUE(headers.ends_with("\r\n\r\n"));

  DWORD status = 0;
  length = sizeof status;
  ASSERT_TRUE(HttpQueryInfoA(exchange.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
  EXPECT_EQ(status, 200u);
}

TEST(Internet, HandlesOfTheWrongKindOrMadeUpFail) {
  HINTERNET root = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  EXPECT_EQ(HttpOpenRequestA(root, "GET", "/", nullptr, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  EXPECT_TRUE(InternetCloseHandle(root));
  EXPECT_FALSE(InternetCloseHandle(root));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  DWORD read = 5;
  char buffer[4];
  EXPECT_FALSE(InternetReadFile(reinterpret_cast<HINTERNET>(0x77), buffer, 4, &read));
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(InternetOpenA("a", 42, nullptr, nullptr, 0), nullptr);
}

TEST(Internet, NothingListeningFailsTheSendAndLeavesNoHeaders) {
  Exchange exchange(lumbrix::testing::ClosedPort(), "GET", "/");
  EXPECT_FALSE(HttpSendRequestA(exchange.request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
  EXPECT_EQ(exchange.ReadAll(), "");
  char buffer[64];
  DWORD length = sizeof buffer;
  EXPECT_FALSE(HttpQueryInfoA(exchange.request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);
}

TEST(Internet, ASilentServerTimesOut) {
  ShortTimeouts shortened(1000);
  lumbrix::testing::SilentServer silent;
  Exchange exchange(silent.Port(), "GET", "/");
  EXPECT_FALSE(HttpSendRequestA(exchange.request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_TIMEOUT);
}

TEST(Internet, TlsIsVerifiedAgainstTheTrustedRoots) {
  lumbrix::testing::TempDir dir;
  const lumbrix::testing::TestCertificates trusted(dir.Path(), "trusted");
  const lumbrix::testing::TestCertificates stranger(dir.Path(), "stranger");
  RecordingServer server(trusted.serverCertificate, trusted.serverKey);
  server.Route("/secret", CannedResponse{200, {}, "over tls"});

  {
    Exchange exchange(server.Port(), "GET", "/secret", INTERNET_FLAG_SECURE);
    EXPECT_FALSE(HttpSendRequestA(exchange.request, nullptr, 0, nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_CA);
  }
  InternetTrustRootCertificates(stranger.caCertificate.c_str());
  {
    Exchange exchange(server.Port(), "GET", "/secret", INTERNET_FLAG_SECURE);
    EXPECT_FALSE(HttpSendRequestA(exchange.request, nullptr, 0, nullptr, 0));
  }
  InternetTrustRootCertificates(trusted.caCertificate.c_str());
  {
    Exchange exchange(server.Port(), "GET", "/secret", INTERNET_FLAG_SECURE);
    EXPECT_TRUE(HttpSendRequestA(exchange.request, nullptr, 0, nullptr, 0));
    EXPECT_EQ(exchange.ReadAll(), "over tls");
  }
  InternetTrustRootCertificates(nullptr);
}

}  // namespace
}  // namespace win
