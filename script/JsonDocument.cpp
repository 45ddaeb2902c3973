#include "script/JsonDocument.h"

#include "platform/kernel/CodePage.h"
#include "platform/kernel/NumberText.h"
#include "script/JsonSupportScript.h"

namespace lumbrix {

namespace {

win::VARIANT Text(std::string_view ansi) { return win::VARIANT(win::WideFromMultiByte(win::CP_ACP, ansi)); }

std::string Quoted(std::string_view value, bool raw) {
  const char* q = raw ? "" : "'";
  return q + std::string(value) + q;
}

bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Splits at ",", never at the trail byte of a double-byte character; a final
// empty piece is dropped.
std::vector<std::string> SplitAtCommas(std::string_view text) {
  std::vector<std::string> pieces;
  std::string piece;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (IsGbkLeadByte(byte) && i + 1 < text.size()) {
      piece += text.substr(i, 2);
      ++i;
    } else if (byte == ',') {
      pieces.push_back(std::move(piece));
      piece.clear();
    } else {
      piece.push_back(char(byte));
    }
  }
  if (!piece.empty()) pieces.push_back(std::move(piece));
  return pieces;
}

void RemoveAll(std::string& text, std::string_view what) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
    text.erase(at, what.size());
}

}  // namespace

// Each instance, copies included, holds one COM initialisation of its own.
JsonDocument::JsonDocument() {
  win::CoInitialize(nullptr);
  Init();
}

JsonDocument::~JsonDocument() {
  engine_.Reset();
  win::CoUninitialize();
}

JsonDocument::JsonDocument(const JsonDocument& other) : root_(other.root_), engine_(other.engine_) {
  win::CoInitialize(nullptr);
}

JsonDocument& JsonDocument::operator=(const JsonDocument& other) {
  root_ = other.root_;
  engine_ = other.engine_;
  return *this;
}

void JsonDocument::Init() {
  engine_.Reset();
  if (win::FAILED(win::CreateObjectFromProgID(u"MSScriptControl.ScriptControl", engine_.Put()))) return;
  win::AutomationPut(engine_.Get(), u"Language", win::VARIANT(u"JavaScript"));
  AddCode(std::string(kJsonSupportScript));
  Evaluate("var " + root_ + "={}");
}

bool JsonDocument::Parse(std::string_view text) {
  if (engine_) Init();
  if (!engine_) return false;
  Evaluate("var " + root_ + "=null");
  // The text goes in as script source, so any expression is accepted.
  AddCode("var " + root_ + "=eval(" + std::string(text) + ")");
  return win::VariantToBool(Evaluate("null !=" + root_));
}

std::string JsonDocument::ToText() { return EvalText("JSON.stringify(" + root_ + ")"); }

void JsonDocument::SetProperty(std::string_view key, std::string_view value, bool valueIsJson) {
  if (valueIsJson) {
    const std::string_view json = value.empty() ? std::string_view("{}") : value;
    Evaluate(Dot(key) + "= eval(" + std::string(json) + ")");
  } else {
    Evaluate(Dot(key) + "='" + std::string(value) + "'");
  }
}

void JsonDocument::SetPropertyJson(std::string_view key, std::string_view json) {
  Evaluate(Dot(key) + "= eval(" + std::string(json) + ")");
}

void JsonDocument::SetNumber(std::string_view key, double number) {
  Evaluate(Dot(key) + "=" + win::FormatNumber(number));
}

double JsonDocument::GetNumber(std::string_view key) {
  return win::VariantToNumber(Evaluate(Dot(key)));
}

std::string JsonDocument::GetPropertyJson(std::string_view key) {
  return EvalText("JSON.stringify(" + Dot(key) + ")");
}

std::string JsonDocument::GetText(std::string_view path, bool asJson) {
  if (asJson) return EvalText("JSON.stringify(" + DotOrBracket(path) + ")");
  if (!engine_) return {};
  if (TypeOf(path) == KindNumber) return win::FormatNumber(GetNumber(path));
  return EvalText(DotOrBracket(path));
}

JsonDocument JsonDocument::GetObject(std::string_view path) {
  JsonDocument copy;
  copy.Parse(EvalText("JSON.stringify(" + DotOrBracket(path) + ")"));
  return copy;
}

int JsonDocument::MemberCount(std::string_view path) {
  return int(win::VariantToNumber(Evaluate("get__count(" + RootOrDotOrBracket(path) + ")")));
}

void JsonDocument::AddMember(std::string_view value, std::string_view path, bool raw) {
  const std::string target = RootOrDot(path);
  Evaluate("if (Object.prototype.toString.call(" + target + ") != '[object Array]') { " + target +
           "=new Array();} " + target + ".push(" + Quoted(value, raw) + ")");
}

JsonDocument JsonDocument::GetMemberObject(int index, std::string_view path) {
  JsonDocument copy;
  copy.Parse(EvalText("JSON.stringify(" + RootOrDot(path) + "[" + std::to_string(index) + "])"));
  return copy;
}

std::string JsonDocument::GetMemberText(int index, std::string_view path, bool asJson) {
  const std::string member = RootOrDot(path) + "[" + std::to_string(index) + "]";
  return EvalText(asJson ? "JSON.stringify(" + member + ")" : member);
}

void JsonDocument::SetMember(int index, std::string_view value, bool raw) {
  Evaluate(root_ + "[" + std::to_string(index) + "]=" + Quoted(value, raw));
}

void JsonDocument::RemoveMember(int index) {
  Evaluate(root_ + ".splice(" + std::to_string(index) + ",1)");
}

void JsonDocument::DeleteProperty(std::string_view key) { Evaluate("delete " + Dot(key)); }

void JsonDocument::Create(int kind) {
  if (kind == KindNull || kind == KindObject) Evaluate("var " + root_ + "={}");
  else if (kind == KindArray) Evaluate("var " + root_ + "=new Array()");
}

void JsonDocument::SetRoot(std::string_view value, bool raw) {
  Evaluate(root_ + "=" + Quoted(value, raw));
}

bool JsonDocument::HasProperty(std::string_view key) {
  return win::VariantToBool(Evaluate(Dot(key) + " !=null"));
}

int JsonDocument::PropertyNames(std::vector<std::string>& names, std::string_view path) {
  std::string listed =
      EvalText("var ary=''; for (var key in " + RootOrDot(path) + ") {ary=ary+ key+','; }");
  RemoveAll(listed, "toJSONString,");
  RemoveAll(listed, "parseJSON,");
  Evaluate("ary=null");
  names = SplitAtCommas(listed);
  return int(names.size());
}

JsonKind JsonDocument::TypeOf(std::string_view path) {
  const std::string target = RootOrDot(path);
  if (win::VariantToBool(Evaluate(target + "==null"))) return KindNull;
  const std::string kind = EvalText("typeof (" + target + ")");
  if (kind == "string") return KindString;
  if (kind == "number") return KindNumber;
  if (kind == "object")
    return EvalText("JSON.stringify(" + target + ")").starts_with("[") ? KindArray : KindObject;
  return KindOther;
}

void JsonDocument::Clear() { Evaluate(root_ + "={}"); }

win::VARIANT JsonDocument::Evaluate(const std::string& script) {
  win::VARIANT result;
  if (engine_) win::AutomationCall(engine_.Get(), u"Eval", {Text(script)}, &result);
  return result;
}

std::string JsonDocument::EvalText(const std::string& script) {
  return win::MultiByteFromWide(win::CP_ACP, win::VariantToText(Evaluate(script)));
}

void JsonDocument::AddCode(const std::string& script) {
  if (engine_) win::AutomationCall(engine_.Get(), u"AddCode", {Text(script)});
}

std::string JsonDocument::Dot(std::string_view path) const { return root_ + "." + std::string(path); }

std::string JsonDocument::DotOrBracket(std::string_view path) const {
  return path.starts_with("[") ? root_ + std::string(path) : Dot(path);
}

std::string JsonDocument::RootOrDot(std::string_view path) const {
  return path.empty() ? root_ : Dot(path);
}

std::string JsonDocument::RootOrDotOrBracket(std::string_view path) const {
  return path.empty() ? root_ : DotOrBracket(path);
}

}  // namespace lumbrix
