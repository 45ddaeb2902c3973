// One HTTP or HTTPS exchange with the default header block: the body comes
// back as bytes, and on request the response's header block and the cookies
// it sets. Every handle is opened and closed within the call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbrix {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::string_view kDefaultUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// Each optional parameter knows whether it was passed: passing `cookies` at
// all, even empty, switches the platform's cookie store off for the call.
// `method`: 0 GET, 1 POST, 2 HEAD, anything else GET. `postBytes` takes
// precedence over `postText`. `proxy` is "host:port", empty for direct.
Bytes WebAccess(std::string_view url, std::optional<int> method = {},
                std::optional<std::string> postText = {}, std::optional<std::string> cookies = {},
                std::string* returnedCookies = nullptr, std::optional<std::string> headers = {},
                std::string* returnedHeaders = nullptr, std::optional<bool> noRedirect = {},
                std::optional<Bytes> postBytes = {}, std::optional<std::string> proxy = {});

// The text between the first `left` marker and the first `right` marker
// after it; empty when either is missing. "#引号" in a marker stands for a
// double quote.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right);

// The parts of an address as WebAccess reads them.
struct WebAddress {
  std::string host;
  int port = 80;
  std::string path;
  bool secure = false;
};
WebAddress ParseWebAddress(std::string_view url);

// The request header block built on the caller's `headers`.
std::string BuildHeaderBlock(std::string_view url, std::string_view headers, std::string_view cookies);

// The cookies that the Set-Cookie lines of a header block set: "a=1; b=2".
std::string CookiesFromHeaders(std::string_view headerBlock);

}  // namespace lumbrix
