#include "service/WebAccess.h"

#include <algorithm>

#include "platform/inet/Internet.h"
#include "platform/kernel/CodePage.h"

namespace lumbrix {

namespace {

constexpr std::size_t kReadChunk = 1024;
constexpr std::size_t kHeaderBuffer = 5000;

bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}

// Lower case for ASCII letters only, stepping over double-byte characters so
// their trail bytes are never changed.
std::string AnsiLower(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsLeadByte(out[i])) {
      ++i;
      continue;
    }
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = char(out[i] - 'A' + 'a');
  }
  return out;
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

bool Contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

// "Set-Cookie" in any letter case becomes "Set-Cookie".
void NormaliseSetCookie(std::string& block) {
  const std::string lower = AnsiLower(block);
  for (std::size_t at = lower.find("set-cookie"); at != std::string::npos; at = lower.find("set-cookie", at + 10))
    block.replace(at, 10, "Set-Cookie");
}

std::string UserAgentFrom(std::string_view headers) {
  if (!Contains(AnsiLower(headers), "user-agent:")) return std::string(kDefaultUserAgent);
  std::string agent = Trim(TextBetween(std::string(headers) + "\r\n", "User-Agent:", "\r\n"));
  if (agent.empty()) {
    const auto colon = headers.find(':');
    agent = Trim(colon == std::string_view::npos ? std::string_view() : headers.substr(colon + 1));
  }
  return agent;
}

// The handles of one call, closed in reverse order however the call ends.
struct OpenHandles {
  win::HINTERNET root = nullptr;
  win::HINTERNET connection = nullptr;
  win::HINTERNET request = nullptr;
  ~OpenHandles() {
    for (win::HINTERNET h : {request, connection, root})
      if (h) win::InternetCloseHandle(h);
  }
};

std::string QueryRawHeaders(win::HINTERNET request) {
  std::string block(kHeaderBuffer, '\0');
  win::DWORD length = win::DWORD(block.size());
  if (!win::HttpQueryInfoA(request, win::HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &length, nullptr)) {
    // A longer block is read whole; no response at all gives an empty one.
    if (win::GetLastError() != win::ERROR_INSUFFICIENT_BUFFER) return {};
    block.assign(length, '\0');
    if (!win::HttpQueryInfoA(request, win::HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &length, nullptr))
      return {};
  }
  block.resize(length);
  return block;
}

}  // namespace

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right) {
  static const std::string quoteMarker = win::AnsiText("#引号");
  std::string l(left), r(right);
  ReplaceAll(l, quoteMarker, "\"");
  ReplaceAll(r, quoteMarker, "\"");
  const auto start = text.find(l);
  if (start == std::string_view::npos) return {};
  const auto from = start + l.size();
  const auto end = text.find(r, from);
  if (end == std::string_view::npos) return {};
  return std::string(text.substr(from, end - from));
}

WebAddress ParseWebAddress(std::string_view url) {
  WebAddress address;
  std::string lower = AnsiLower(url);
  if (!lower.ends_with('/')) lower += '/';
  std::string_view marker = "https://";
  std::size_t prepended = 0;
  if (!lower.starts_with(marker)) {
    marker = "http://";
    if (!Contains(lower, marker)) {
      lower.insert(0, marker);
      prepended = marker.size();
    }
  }
  address.secure = marker == "https://";
  const std::string hostPart = TextBetween(lower, marker, "/");
  address.host = hostPart.substr(0, hostPart.find(':'));
  const auto lastColon = hostPart.rfind(':');
  if (lastColon != std::string::npos) {
    address.port = std::atoi(hostPart.c_str() + lastColon + 1);
  } else {
    address.port = lower.starts_with("https") ? 443 : 80;
  }
  // The path keeps the caller's letter case.
  const std::size_t hostEnd = lower.find(marker) + marker.size() + hostPart.size() - prepended;
  const std::size_t slash = hostEnd <= url.size() ? url.find('/', hostEnd) : std::string_view::npos;
  address.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
  return address;
}

std::string BuildHeaderBlock(std::string_view url, std::string_view headers, std::string_view cookies) {
  std::string block;
  if (headers.empty()) {
    block = "Accept: */*";
  } else {
    block = headers;
    if (!Contains(block, "Accept:")) block += "\r\nAccept: */*";
  }
  if (!Contains(block, "Referer:")) block += "\r\nReferer: " + std::string(url);
  if (!Contains(block, "Accept-Language:")) block += "\r\nAccept-Language: zh-cn";
  if (!Contains(block, "Content-Type:")) block += "\r\nContent-Type: application/x-www-form-urlencoded";
  if (!cookies.empty())
    block += Contains(cookies, "Cookie:") ? "\r\n" + std::string(cookies) : "\r\nCookie: " + std::string(cookies);
  return block;
}

std::string CookiesFromHeaders(std::string_view headerBlock) {
  std::string cookies;
  std::size_t start = 0;
  while (start <= headerBlock.size()) {
    std::size_t end = headerBlock.find("\r\n", start);
    if (end == std::string_view::npos) end = headerBlock.size();
    std::string line(headerBlock.substr(start, end - start));
    start = end + 2;
    if (!Contains(line, "Set-Cookie")) continue;
    std::string cookie;
    if (!Contains(line, ";")) {
      cookie = line;
      ReplaceAll(cookie, "Set-Cookie:", "");
    } else {
      cookie = TextBetween(line, "Set-Cookie:", ";");
    }
    cookies += Trim(cookie) + "; ";
  }
  if (cookies.size() >= 2) cookies.resize(cookies.size() - 2);
  return cookies;
}

Bytes WebAccess(std::string_view url, std::optional<int> method, std::optional<std::string> postText,
                std::optional<std::string> cookies, std::string* returnedCookies,
                std::optional<std::string> headers, std::string* returnedHeaders,
                std::optional<bool> noRedirect, std::optional<Bytes> postBytes,
                std::optional<std::string> proxy) {
  int m = method.value_or(0);
  if (m < 0 || m > 2) m = 0;
  static constexpr const char* kVerbs[] = {"GET", "POST", "HEAD"};
  const std::string extraHeaders = headers.value_or("");
  const WebAddress address = ParseWebAddress(url);
  const bool secure = AnsiLower(url.substr(0, 8)) == "https://";

  OpenHandles handles;
  const std::string agent = UserAgentFrom(extraHeaders);
  const std::string proxyText = proxy.value_or("");
  if (proxyText.empty()) {
    handles.root = win::InternetOpenA(agent.c_str(), win::INTERNET_OPEN_TYPE_DIRECT, "", "", 0);
  } else {
    const std::string setting = secure ? proxyText : "http=" + proxyText;
    handles.root = win::InternetOpenA(agent.c_str(), win::INTERNET_OPEN_TYPE_PROXY, setting.c_str(), "", 0);
  }
  if (!handles.root) return {};
  handles.connection = win::InternetConnectA(handles.root, address.host.c_str(), win::INTERNET_PORT(address.port),
                                             "", "", win::INTERNET_SERVICE_HTTP, 0, 0);
  if (!handles.connection) return {};

  win::DWORD flags = win::INTERNET_FLAG_RELOAD | win::INTERNET_FLAG_NEED_FILE;
  if (cookies.has_value()) flags |= win::INTERNET_FLAG_NO_COOKIES;
  if (noRedirect.value_or(false)) flags |= win::INTERNET_FLAG_NO_AUTO_REDIRECT;
  flags |= secure ? win::INTERNET_FLAG_SECURE : win::INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  handles.request = win::HttpOpenRequestA(handles.connection, kVerbs[m], address.path.c_str(), "HTTP/1.1",
                                          nullptr, nullptr, flags, 0);
  if (!handles.request) return {};

  const std::string block = BuildHeaderBlock(url, extraHeaders, cookies.value_or(""));
  std::string body;
  if (m != 0) {
    if (postBytes && !postBytes->empty()) body.assign(postBytes->begin(), postBytes->end());
    else body = postText.value_or("");
  }
  // The outcome is read from what arrived, not from the send's result.
  win::HttpSendRequestA(handles.request, block.c_str(), win::DWORD(block.size()),
                        body.empty() ? nullptr : body.data(), win::DWORD(body.size()));

  Bytes result;
  std::uint8_t chunk[kReadChunk];
  win::DWORD read = 0;
  while (win::InternetReadFile(handles.request, chunk, sizeof chunk, &read) && read > 0)
    result.insert(result.end(), chunk, chunk + read);

  std::string responseHeaders = QueryRawHeaders(handles.request);
  NormaliseSetCookie(responseHeaders);
  if (returnedHeaders) *returnedHeaders = responseHeaders;
  if (returnedCookies) *returnedCookies = CookiesFromHeaders(responseHeaders);
  return result;
}

}  // namespace lumbrix
