// The software-information endpoint, independent of the HTTP server that
// carries it: a form body in, a status and an enciphered answer out.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "server/AppDatabase.h"

namespace lumbrix::server {

// Decodes an application/x-www-form-urlencoded body; nullopt for a bad
// percent escape. "+" stands for a space.
std::optional<std::map<std::string, std::string>> ParseFormBody(std::string_view body);

// UTF-8 text as a JSON string of ASCII characters only: everything outside
// printable ASCII is written as \u escapes (surrogate pairs past U+FFFF).
std::string AsciiJsonString(std::string_view utf8);

struct ServiceAnswer {
  int status = 200;
  std::string body;
  std::string contentType = "text/plain; charset=us-ascii";
};

// Answers POST index.php/api/Software/getInfo. `lookup` reads an application
// as stored now.
ServiceAnswer AnswerGetInfo(std::string_view formBody,
                            const std::function<std::optional<Application>(const std::string&)>& lookup);

// The answer object for an application, before it is enciphered.
std::string SoftwareInfoJson(const Application& application);

}  // namespace lumbrix::server
