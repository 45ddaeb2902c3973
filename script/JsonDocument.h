// One JSON value kept in a private script engine and read or changed by path.
// Every operation composes a short script text and has the engine evaluate
// it; the value lives in the engine as the global variable "da". Paths are
// script source, glued onto the root name as each operation says.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/Dispatch.h"

namespace lumbrix {

enum JsonKind : int {
  KindOther = -1,
  KindNull = 0,
  KindNumber = 2,
  KindObject = 4,
  KindArray = 5,
  KindString = 6,
};

class JsonDocument {
 public:
  // Starts as an empty object in an engine of its own.
  JsonDocument();
  ~JsonDocument();
  // A copy shares the engine, and so the value.
  JsonDocument(const JsonDocument& other);
  JsonDocument& operator=(const JsonDocument& other);

  void Init();
  // Evaluates `text` in a fresh engine; true when it gave anything but null
  // or undefined. The evaluation runs under the engine's time and memory
  // limits, so a hostile text only makes it return false.
  bool Parse(std::string_view text);
  std::string ToText();
  void SetProperty(std::string_view key, std::string_view value, bool valueIsJson);
  void SetPropertyJson(std::string_view key, std::string_view json);
  void SetNumber(std::string_view key, double number);
  double GetNumber(std::string_view key);
  std::string GetPropertyJson(std::string_view key);
  std::string GetText(std::string_view path, bool asJson = false);
  // Deep copies through JSON text, each in a new engine.
  JsonDocument GetObject(std::string_view path);
  int MemberCount(std::string_view path);
  void AddMember(std::string_view value, std::string_view path, bool raw);
  JsonDocument GetMemberObject(int index, std::string_view path);
  std::string GetMemberText(int index, std::string_view path, bool asJson);
  void SetMember(int index, std::string_view value, bool raw);
  void RemoveMember(int index);
  void DeleteProperty(std::string_view key);
  void Create(int kind);
  void SetRoot(std::string_view value, bool raw);
  bool HasProperty(std::string_view key);
  // Replaces `names` with the enumerated member names; returns their number.
  int PropertyNames(std::vector<std::string>& names, std::string_view path);
  JsonKind TypeOf(std::string_view path);
  void Clear();

 private:
  win::VARIANT Evaluate(const std::string& script);
  std::string EvalText(const std::string& script);
  void AddCode(const std::string& script);

  // The four ways a path is glued onto the root name.
  std::string Dot(std::string_view path) const;
  std::string DotOrBracket(std::string_view path) const;
  std::string RootOrDot(std::string_view path) const;
  std::string RootOrDotOrBracket(std::string_view path) const;

  std::string root_ = "da";
  win::ComPtr<win::IDispatch> engine_;
};

}  // namespace lumbrix
