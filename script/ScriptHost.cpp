#include "script/ScriptHost.h"

#include <vector>

#include "platform/kernel/CodePage.h"

namespace lumbrix {

namespace {

win::VARIANT Text(std::string_view ansi) { return win::VARIANT(win::WideFromMultiByte(win::CP_ACP, ansi)); }

std::string AnsiOf(const win::VARIANT& value) {
  return win::MultiByteFromWide(win::CP_ACP, win::VariantToText(value));
}

}  // namespace

ScriptHost::ScriptHost() {
  win::CoInitialize(nullptr);
  if (win::SUCCEEDED(win::CreateObjectFromProgID(u"ScriptControl", engine_.Put())))
    win::AutomationPut(engine_.Get(), u"Language", win::VARIANT(u"JScript"));
}

ScriptHost::~ScriptHost() {
  engine_.Reset();
  win::CoUninitialize();
}

// Each instance, copies included, holds one COM initialisation of its own,
// so that every destruction has one to undo.
ScriptHost::ScriptHost(const ScriptHost& other) : engine_(other.engine_) { win::CoInitialize(nullptr); }

ScriptHost& ScriptHost::operator=(const ScriptHost& other) {
  engine_ = other.engine_;
  return *this;
}

bool ScriptHost::ExecuteStatement(std::string_view script) {
  if (!engine_) return false;
  win::AutomationCall(engine_.Get(), u"ExecuteStatement", {Text(script)});
  return win::GetLastAutomationError().scode == win::S_OK;
}

std::string ScriptHost::Eval(std::string_view expression) {
  win::VARIANT result;
  win::AutomationCall(engine_.Get(), u"Eval", {Text(expression)}, &result);
  return AnsiOf(result);
}

void ScriptHost::Reset() { win::AutomationCall(engine_.Get(), u"Reset", {}); }

win::ComPtr<win::IDispatch> ScriptHost::EngineObject() const { return engine_; }

std::string ScriptHost::Run(std::string_view procedure, const OptionalText& a1,
                            const OptionalText& a2, const OptionalText& a3,
                            const OptionalText& a4, const OptionalText& a5,
                            const OptionalText& a6) {
  std::vector<win::VARIANT> arguments{Text(procedure)};
  for (const OptionalText* argument : {&a1, &a2, &a3, &a4, &a5, &a6}) {
    if (!argument->has_value()) break;
    arguments.push_back(Text(**argument));
  }
  win::VARIANT result;
  win::AutomationCall(engine_.Get(), u"Run", arguments, &result);
  return AnsiOf(result);
}

std::string ScriptHost::Language(int kind) {
  if (kind == 0) win::AutomationPut(engine_.Get(), u"Language", win::VARIANT(u"JScript"));
  else if (kind == 1) win::AutomationPut(engine_.Get(), u"Language", win::VARIANT(u"vbs"));
  return AnsiOf(Property(u"Language"));
}

int ScriptHost::Timeout(std::optional<int> milliseconds) {
  win::AutomationPut(engine_.Get(), u"Timeout", win::VARIANT(std::int32_t(milliseconds.value_or(-1))));
  return int(win::VariantToNumber(Property(u"Timeout")));
}

int ScriptHost::State(std::optional<int> state) {
  if (state) win::AutomationPut(engine_.Get(), u"State", win::VARIANT(std::int32_t(*state)));
  return int(win::VariantToNumber(Property(u"State")));
}

bool ScriptHost::AllowUI(std::optional<bool> allow) {
  if (allow) win::AutomationPut(engine_.Get(), u"AllowUI", win::VARIANT(*allow));
  return win::VariantToBool(Property(u"AllowUI"));
}

std::intptr_t ScriptHost::SitehWnd(std::optional<std::intptr_t> window) {
  if (window) win::AutomationPut(engine_.Get(), u"SitehWnd", win::VARIANT(double(*window)));
  return std::intptr_t(win::VariantToNumber(Property(u"SitehWnd")));
}

void ScriptHost::AddCode(std::string_view script) {
  win::AutomationCall(engine_.Get(), u"AddCode", {Text(script)});
}

win::VARIANT ScriptHost::Property(std::u16string_view name) const {
  win::VARIANT value;
  win::AutomationGet(engine_.Get(), name, &value);
  return value;
}

}  // namespace lumbrix
