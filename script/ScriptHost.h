// A thin wrapper round one script-control object set to JScript: load script
// text, then call the functions it defines by name. Texts cross into and out
// of the engine converted between the ANSI code page and UTF-16.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/Dispatch.h"

namespace lumbrix {

using OptionalText = std::optional<std::string>;

class ScriptHost {
 public:
  // Initialises COM for the thread and creates the "ScriptControl" object.
  ScriptHost();
  // Releases the engine reference and undoes one COM initialisation.
  ~ScriptHost();
  // A copy shares the engine.
  ScriptHost(const ScriptHost& other);
  ScriptHost& operator=(const ScriptHost& other);

  // Runs statements; true when the platform recorded no automation error.
  bool ExecuteStatement(std::string_view script);
  std::string Eval(std::string_view expression);
  void Reset();
  // A new reference to the control itself, the caller's to release.
  win::ComPtr<win::IDispatch> EngineObject() const;
  // Calls a global function with the leading arguments that were given:
  // passing stops at the first one that was not.
  std::string Run(std::string_view procedure, const OptionalText& a1 = {},
                  const OptionalText& a2 = {}, const OptionalText& a3 = {},
                  const OptionalText& a4 = {}, const OptionalText& a5 = {},
                  const OptionalText& a6 = {});
  // Kind 0 sets "JScript", kind 1 "vbs", other kinds nothing; returns the
  // language as read back.
  std::string Language(int kind);
  // Writes the given value, or -1 when none is given, and reads it back.
  int Timeout(std::optional<int> milliseconds = std::nullopt);
  // Each writes only when a value is given, then reads back.
  int State(std::optional<int> state = std::nullopt);
  bool AllowUI(std::optional<bool> allow = std::nullopt);
  std::intptr_t SitehWnd(std::optional<std::intptr_t> window = std::nullopt);
  void AddCode(std::string_view script);
  void NoOp() {}

 private:
  win::VARIANT Property(std::u16string_view name) const;

  win::ComPtr<win::IDispatch> engine_;
};

}  // namespace lumbrix
