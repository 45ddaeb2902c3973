#include "service/ServiceClient.h"

#include <algorithm>

#include "platform/kernel/CodePage.h"
#include "platform/kernel/Com.h"
#include "service/AuthCode.h"
#include "service/WebAccess.h"

namespace lumbrix {

namespace {

// GBK to UTF-8, whatever the process's code page, over the text up to its
// first zero (the platform calls each take the zero-terminated text).
std::string Utf8FromGbk(std::string_view params) {
  const std::string text(params.substr(0, params.find('\0')));
  const std::u16string wide = win::WideFromMultiByte(win::CP_GBK, text);
  return win::MultiByteFromWide(win::CP_UTF8, wide);
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

}  // namespace

std::string EscapeCipherText(std::string_view cipher) {
  std::string data(cipher);
  ReplaceAll(data, "+", "%2B");
  ReplaceAll(data, "&", "%26");
  ReplaceAll(data, "/", "%2F");
  return data;
}

ServiceClient::ServiceClient() { win::CoInitialize(nullptr); }

ServiceClient::~ServiceClient() { win::CoUninitialize(); }

// A copy holds an initialisation of its own, so each destruction has one to undo.
ServiceClient::ServiceClient(const ServiceClient& other)
    : appId_(other.appId_), baseAddress_(other.baseAddress_), appKey_(other.appKey_) {
  win::CoInitialize(nullptr);
}

void ServiceClient::Init(std::string_view appId, std::string_view baseAddress, std::string_view appKey) {
  appId_ = appId;
  baseAddress_ = baseAddress;
  appKey_ = appKey;
}

std::string ServiceClient::GetInfo() { return Request("Software/getInfo", "1"); }

std::string ServiceClient::Request(std::string_view endpoint, std::string_view params) {
  const std::string cipher = AuthCode::Encode(Utf8FromGbk(params), appKey_);
  const std::string body = "id=" + appId_ + "&data=" + EscapeCipherText(cipher);
  const std::string url = baseAddress_ + "index.php/api/" + std::string(endpoint);
  const Bytes answer = WebAccess(url, 1, body);
  const auto end = std::find(answer.begin(), answer.end(), std::uint8_t(0));
  const std::string text(answer.begin(), end);
  return AuthCode::Decode(text, appKey_);
}

}  // namespace lumbrix
