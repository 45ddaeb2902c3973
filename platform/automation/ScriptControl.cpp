#include "platform/automation/ScriptControl.h"

#include <duktape.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/kernel/Clock.h"

namespace win {

namespace {

// ---- Text between UTF-16 and the engine's CESU-8 ---------------------------

void PushText(duk_context* ctx, std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 3);
  for (char16_t unit : text) {
    // Each UTF-16 unit, surrogates included, is one code point to the engine.
    if (unit < 0x80) {
      bytes.push_back(char(unit));
    } else if (unit < 0x800) {
      bytes.push_back(char(0xC0 | (unit >> 6)));
      bytes.push_back(char(0x80 | (unit & 0x3F)));
    } else {
      bytes.push_back(char(0xE0 | (unit >> 12)));
      bytes.push_back(char(0x80 | ((unit >> 6) & 0x3F)));
      bytes.push_back(char(0x80 | (unit & 0x3F)));
    }
  }
  duk_push_lstring(ctx, bytes.data(), bytes.size());
}

std::u16string ReadText(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(duk_get_lstring(ctx, index, &length));
  std::u16string out;
  out.reserve(length);
  for (duk_size_t i = 0; i < length;) {
    const unsigned char b = p[i];
    char32_t cp = b;
    int extra = 0;
    if (b >= 0xF0) { cp = b & 0x07; extra = 3; }
    else if (b >= 0xE0) { cp = b & 0x0F; extra = 2; }
    else if (b >= 0xC0) { cp = b & 0x1F; extra = 1; }
    ++i;
    for (int k = 0; k < extra && i < length; ++k, ++i) cp = (cp << 6) | (p[i] & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
  }
  return out;
}

void PushVariant(duk_context* ctx, const VARIANT& value) {
  switch (value.Type()) {
    case VT_EMPTY: duk_push_undefined(ctx); break;
    case VT_BOOL: duk_push_boolean(ctx, value.AsBool()); break;
    case VT_I4: duk_push_int(ctx, value.AsInt()); break;
    case VT_R8: duk_push_number(ctx, value.AsDouble()); break;
    case VT_BSTR: PushText(ctx, value.AsText()); break;
  }
}

// The value on top of the stack as a variant: integral numbers as 32-bit
// integers, other objects by their own string conversion. May run script
// (a toString), so it is called inside the protected, time-limited call.
VARIANT ReadResult(duk_context* ctx) {
  switch (duk_get_type(ctx, -1)) {
    case DUK_TYPE_BOOLEAN: return VARIANT(bool(duk_get_boolean(ctx, -1)));
    case DUK_TYPE_NUMBER: {
      const double d = duk_get_number(ctx, -1);
      const bool integral = d >= -2147483648.0 && d <= 2147483647.0 && double(std::int32_t(d)) == d &&
                            !(d == 0 && std::signbit(d));
      return integral ? VARIANT(std::int32_t(d)) : VARIANT(d);
    }
    case DUK_TYPE_STRING: return VARIANT(ReadText(ctx, -1));
    case DUK_TYPE_OBJECT:
    case DUK_TYPE_BUFFER:
    case DUK_TYPE_POINTER:
    case DUK_TYPE_LIGHTFUNC:
      duk_to_string(ctx, -1);
      return VARIANT(ReadText(ctx, -1));
    default: return VARIANT();
  }
}

// ---- The engine: one Duktape heap with a memory cap and a deadline --------

struct HeapLimits {
  std::size_t used = 0;
  std::size_t cap = kScriptMemoryCapBytes;
  std::uint64_t deadlineMs = 0;  // 0: none armed
  bool timedOut = false;
  bool outOfMemory = false;
};

// Every block carries its size in front, so the cap counts live bytes.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(void* udata, duk_size_t size) {
  auto* limits = static_cast<HeapLimits*>(udata);
  if (size > limits->cap - limits->used) {
    limits->outOfMemory = true;
    return nullptr;
  }
  auto* block = static_cast<unsigned char*>(std::malloc(kHeader + size));
  if (!block) return nullptr;
  std::memcpy(block, &size, sizeof size);
  limits->used += size;
  return block + kHeader;
}

void Free(void* udata, void* pointer) {
  if (!pointer) return;
  auto* block = static_cast<unsigned char*>(pointer) - kHeader;
  std::size_t size;
  std::memcpy(&size, block, sizeof size);
  static_cast<HeapLimits*>(udata)->used -= size;
  std::free(block);
}

void* Reallocate(void* udata, void* pointer, duk_size_t size) {
  if (!pointer) return Allocate(udata, size);
  if (size == 0) {
    Free(udata, pointer);
    return nullptr;
  }
  auto* limits = static_cast<HeapLimits*>(udata);
  auto* block = static_cast<unsigned char*>(pointer) - kHeader;
  std::size_t old;
  std::memcpy(&old, block, sizeof old);
  if (size > old && size - old > limits->cap - limits->used) {
    limits->outOfMemory = true;
    return nullptr;
  }
  auto* grown = static_cast<unsigned char*>(std::realloc(block, kHeader + size));
  if (!grown) return nullptr;
  std::memcpy(grown, &size, sizeof size);
  limits->used = limits->used - old + size;
  return grown + kHeader;
}

[[noreturn]] void Fatal(void*, const char* message) {
  // Only reached for an error outside every protected call, which this
  // file never makes: a broken invariant, not a script's doing.
  std::fprintf(stderr, "script engine: fatal error: %s\n", message ? message : "");
  std::abort();
}

class Engine {
 public:
  Engine()
      : limits_(std::make_unique<HeapLimits>()),
        ctx_(duk_create_heap(Allocate, Reallocate, Free, limits_.get(), Fatal)) {}
  ~Engine() {
    if (ctx_) duk_destroy_heap(ctx_);
  }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  bool Usable() const { return ctx_ != nullptr; }

  // Runs `work` inside a protected call under the time limit. `work` leaves
  // its result on the stack top.
  HRESULT Run(std::int32_t timeoutMs, const std::function<void(duk_context*)>& work,
              VARIANT* result, EXCEPINFO* error) {
    limits_->timedOut = false;
    limits_->outOfMemory = false;
    limits_->deadlineMs = timeoutMs < 0 ? 0 : GetTickCount64() + std::uint64_t(timeoutMs);
    Call call{&work, result};
    const duk_int_t rc = duk_safe_call(ctx_, Trampoline, &call, 0, 1);
    HRESULT hr = S_OK;
    if (rc != DUK_EXEC_SUCCESS) hr = Describe(error);
    duk_pop(ctx_);
    limits_->deadlineMs = 0;
    // A collection now gives back what a failed script left reachable only
    // from the stack, so the next call starts under the cap.
    if (limits_->outOfMemory) duk_gc(ctx_, 0);
    return hr;
  }

 private:
  struct Call {
    const std::function<void(duk_context*)>* work;
    VARIANT* result;
  };

  static duk_ret_t Trampoline(duk_context* ctx, void* udata) {
    auto* call = static_cast<Call*>(udata);
    (*call->work)(ctx);
    if (call->result) *call->result = ReadResult(ctx);
    return 1;
  }

  HRESULT Describe(EXCEPINFO* error) {
    const HRESULT hr =
        limits_->timedOut ? E_ABORT : limits_->outOfMemory ? E_OUTOFMEMORY : DISP_E_EXCEPTION;
    if (error) {
      error->scode = hr;
      error->source = u"ScriptControl";
      if (limits_->timedOut) {
        error->description = u"Script execution time was exceeded";
      } else {
        // Reading the message may itself fail (a hostile toString): guard it.
        limits_->deadlineMs = GetTickCount64() + 100;
        error->description = ReadText(ctx_, (duk_safe_to_string(ctx_, -1), -1));
      }
    }
    return hr;
  }

  std::unique_ptr<HeapLimits> limits_;
  duk_context* ctx_;
};

duk_bool_t TimeoutCheck(void* udata) {
  auto* limits = static_cast<HeapLimits*>(udata);
  if (limits == nullptr || limits->deadlineMs == 0) return 0;
  if (limits->timedOut || GetTickCount64() >= limits->deadlineMs) {
    limits->timedOut = true;
    return 1;
  }
  return 0;
}

// ---- The automation object ------------------------------------------------

bool IsJScript(std::u16string_view language) {
  auto same = [&](std::u16string_view name) {
    if (language.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
      char16_t a = language[i], b = name[i];
      if (a >= u'A' && a <= u'Z') a = char16_t(a + 32);
      if (b >= u'A' && b <= u'Z') b = char16_t(b + 32);
      if (a != b) return false;
    }
    return true;
  };
  return same(u"JScript") || same(u"JavaScript");
}

HRESULT Fail(EXCEPINFO* error, HRESULT hr, std::u16string description) {
  if (error) {
    error->scode = hr;
    error->source = u"ScriptControl";
    error->description = std::move(description);
  }
  return hr;
}

class ScriptControl final : public RefCounted<IDispatch> {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      AddRef();
      *object = static_cast<IDispatch*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT GetProperty(std::u16string_view name, VARIANT* result, EXCEPINFO* error) override {
    if (name == u"Language") *result = VARIANT(language_);
    else if (name == u"Timeout") *result = VARIANT(timeoutMs_);
    else if (name == u"State") *result = VARIANT(state_);
    else if (name == u"AllowUI") *result = VARIANT(allowUI_);
    else if (name == u"SitehWnd") *result = siteWindow_;
    else return Fail(error, DISP_E_UNKNOWNNAME, u"Unknown property");
    return S_OK;
  }

  HRESULT PutProperty(std::u16string_view name, const VARIANT& value, EXCEPINFO* error) override {
    if (name == u"Language") return PutLanguage(VariantToText(value), error);
    if (name == u"Timeout") {
      const double ms = VariantToNumber(value);
      if (ms < -1 || ms > 2147483647.0) return Fail(error, E_INVALIDARG, u"Invalid timeout");
      timeoutMs_ = std::int32_t(ms);
    } else if (name == u"State") {
      state_ = std::int32_t(VariantToNumber(value));
    } else if (name == u"AllowUI") {
      allowUI_ = VariantToBool(value);
    } else if (name == u"SitehWnd") {
      siteWindow_ = value.Type() == VT_R8 ? value : VARIANT(std::int32_t(VariantToNumber(value)));
    } else {
      return Fail(error, DISP_E_UNKNOWNNAME, u"Unknown property");
    }
    return S_OK;
  }

  HRESULT CallMethod(std::u16string_view name, std::span<const VARIANT> arguments,
                     VARIANT* result, EXCEPINFO* error) override {
    if (name == u"Reset") {
      if (!language_.empty()) engine_ = std::make_unique<Engine>();
      return S_OK;
    }
    const bool known = name == u"AddCode" || name == u"ExecuteStatement" || name == u"Eval" ||
                       name == u"Run";
    if (!known) return Fail(error, DISP_E_UNKNOWNNAME, u"Unknown method");
    if (arguments.empty()) return Fail(error, DISP_E_BADPARAMCOUNT, u"Argument missing");
    if (!engine_ || !engine_->Usable())
      return Fail(error, E_UNEXPECTED, u"The script language has not been set");

    const std::u16string text = VariantToText(arguments[0]);
    if (name == u"Eval") return engine_->Run(timeoutMs_, Evaluate(text), result, error);
    if (name == u"Run") return engine_->Run(timeoutMs_, CallGlobal(text, arguments.subspan(1)), result, error);
    return engine_->Run(timeoutMs_, Execute(text), nullptr, error);
  }

 private:
  HRESULT PutLanguage(std::u16string language, EXCEPINFO* error) {
    if (!IsJScript(language)) return Fail(error, E_INVALIDARG, u"Unsupported script language");
    language_ = std::move(language);
    engine_ = std::make_unique<Engine>();
    if (!engine_->Usable()) return Fail(error, E_OUTOFMEMORY, u"The script engine could not start");
    return S_OK;
  }

  using Work = std::function<void(duk_context*)>;

  // An expression or statement list; its completion value is the result.
  static Work Evaluate(const std::u16string& source) {
    return [&source](duk_context* ctx) {
      PushText(ctx, source);
      duk_push_string(ctx, "eval");
      duk_compile(ctx, DUK_COMPILE_EVAL);
      duk_call(ctx, 0);
    };
  }

  // A global program: its declarations become globals.
  static Work Execute(const std::u16string& source) {
    return [&source](duk_context* ctx) {
      CompileProgram(ctx, source);
      duk_call(ctx, 0);
      duk_pop(ctx);
      duk_push_undefined(ctx);
    };
  }

  // Large programs (carried scripts loaded into engine after engine) are
  // compiled once per process and then loaded from their bytecode, which is
  // several times faster than compiling the text again.
  static void CompileProgram(duk_context* ctx, const std::u16string& source) {
    constexpr std::size_t kCachedFrom = 1024;
    constexpr std::size_t kCacheEntries = 16;
    static std::mutex mutex;
    static std::unordered_map<std::u16string, std::string> bytecode;

    if (source.size() >= kCachedFrom) {
      std::lock_guard lock(mutex);
      if (auto it = bytecode.find(source); it != bytecode.end()) {
        void* buffer = duk_push_fixed_buffer(ctx, it->second.size());
        std::memcpy(buffer, it->second.data(), it->second.size());
        duk_load_function(ctx);
        return;
      }
    }
    PushText(ctx, source);
    duk_push_string(ctx, "code");
    duk_compile(ctx, 0);
    if (source.size() >= kCachedFrom) {
      duk_dup_top(ctx);
      duk_dump_function(ctx);
      duk_size_t size = 0;
      const auto* dumped = static_cast<const char*>(duk_get_buffer(ctx, -1, &size));
      std::lock_guard lock(mutex);
      if (bytecode.size() < kCacheEntries) bytecode.emplace(source, std::string(dumped, size));
      duk_pop(ctx);
    }
  }

  static Work CallGlobal(const std::u16string& name, std::span<const VARIANT> arguments) {
    return [&name, arguments](duk_context* ctx) {
      duk_push_global_object(ctx);
      PushText(ctx, name);
      duk_get_prop(ctx, -2);
      if (!duk_is_function(ctx, -1)) duk_error(ctx, DUK_ERR_TYPE_ERROR, "no such procedure");
      for (const VARIANT& argument : arguments) PushVariant(ctx, argument);
      duk_call(ctx, duk_idx_t(arguments.size()));
    };
  }

  std::u16string language_;
  std::unique_ptr<Engine> engine_;
  std::int32_t timeoutMs_ = kScriptDefaultTimeoutMs;
  std::int32_t state_ = 0;
  bool allowUI_ = true;
  VARIANT siteWindow_ = VARIANT(std::int32_t(0));
};

}  // namespace

HRESULT CreateScriptControl(IDispatch** object) {
  if (object == nullptr) return E_POINTER;
  *object = new ScriptControl();
  return S_OK;
}

}  // namespace win

extern "C" duk_bool_t lumbrix_duk_exec_timeout_check(void* udata) {
  return win::TimeoutCheck(udata);
}
