#include "server/InfoService.h"

#include <cstdio>

#include "platform/kernel/CodePage.h"
#include "service/AuthCode.h"

namespace lumbrix::server {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out.push_back(' ');
    } else if (text[i] == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out.push_back(char(high * 16 + low));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

ServiceAnswer Plain(int status, std::string message) {
  return ServiceAnswer{status, std::move(message) + "\n"};
}

std::string Member(std::string_view name, std::string_view value) {
  return AsciiJsonString(name) + ":" + AsciiJsonString(value);
}

}  // namespace

std::optional<std::map<std::string, std::string>> ParseFormBody(std::string_view body) {
  std::map<std::string, std::string> fields;
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view pair = body.substr(start, end - start);
    start = end + 1;
    if (pair.empty()) continue;
    const auto eq = pair.find('=');
    auto name = PercentDecode(pair.substr(0, eq));
    auto value = PercentDecode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
    if (!name || !value) return std::nullopt;
    fields.emplace(std::move(*name), std::move(*value));
  }
  return fields;
}

std::string AsciiJsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char16_t unit : win::WideFromMultiByte(win::CP_UTF8, utf8)) {
    if (unit == u'"' || unit == u'\\') {
      out.push_back('\\');
      out.push_back(char(unit));
    } else if (unit >= 0x20 && unit < 0x7F) {
      out.push_back(char(unit));
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(unit));
      out += escape;
    }
  }
  out += "\"";
  return out;
}

std::string SoftwareInfoJson(const Application& a) {
  return "{\"code\":1,\"msg\":\"ok\",\"data\":{" + Member("notice", a.notice) + "," +
         Member("version", a.version) + "," + Member("update_data", a.updateData) + "," +
         Member("software_state", a.softwareState) + "," + Member("static_data", a.staticData) + "}}";
}

ServiceAnswer AnswerGetInfo(std::string_view formBody,
                            const std::function<std::optional<Application>(const std::string&)>& lookup) {
  const auto fields = ParseFormBody(formBody);
  if (!fields) return Plain(400, "bad percent escape in the form body");
  const auto id = fields->find("id");
  const auto data = fields->find("data");
  if (id == fields->end() || data == fields->end() || id->second.empty())
    return Plain(400, "the form body needs id and data");
  const auto application = lookup(id->second);
  if (!application) return Plain(404, "unknown application");

  std::string answer;
  if (AuthCode::DecodeNative(data->second, application->key).empty()) {
    answer = "{\"code\":0,\"msg\":\"the request data could not be deciphered\",\"data\":{}}";
  } else {
    answer = SoftwareInfoJson(*application);
  }
  return ServiceAnswer{200, AuthCode::Encode(answer, application->key)};
}

}  // namespace lumbrix::server
