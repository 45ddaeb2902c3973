// Sending, posting and retrieving messages; timers; painting; modal loops.
#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/Clock.h"
#include "platform/user/UserInternal.h"

namespace win::user {

namespace {

struct Queue {
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
};

Queue& TheQueue() {
  static auto* queue = new Queue();
  return *queue;
}

std::vector<Timer>& Timers() {
  static auto* timers = new std::vector<Timer>();
  return *timers;
}

std::function<bool()>& IdleHandler() {
  static std::function<bool()> handler;
  return handler;
}

// The subclass hooks still to run for a message being dispatched.
struct SubclassFrame {
  HWND window;
  std::vector<Subclass> hooks;
  std::size_t next;
  WNDPROC proc;
};
// Made once per thread and never destroyed: messages may still be sent from
// exit handlers, after thread-local destruction.
std::vector<SubclassFrame>& SubclassFrames() {
  thread_local auto* frames = new std::vector<SubclassFrame>();
  return *frames;
}

LRESULT RunChain(SubclassFrame& frame, UINT message, WPARAM wParam, LPARAM lParam) {
  if (frame.next < frame.hooks.size()) {
    const Subclass hook = frame.hooks[frame.next++];
    return hook.proc(frame.window, message, wParam, lParam, hook.id, hook.refData);
  }
  return frame.proc ? frame.proc(frame.window, message, wParam, lParam) : DefWindowProcA(frame.window, message, wParam, lParam);
}

bool InRange(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool ForWindow(HWND target, HWND filter) {
  return filter == nullptr || target == filter || IsChild(filter, target);
}

DWORD Now() { return GetTickCount(); }

bool TakePosted(MSG* msg, HWND filter, UINT first, UINT last, bool remove) {
  Queue& q = TheQueue();
  std::lock_guard lock(q.mutex);
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
    if (!InRange(it->message, first, last) || !ForWindow(it->hwnd, filter)) continue;
    *msg = *it;
    if (remove) q.posted.erase(it);
    return true;
  }
  if (q.quit && filter == nullptr) {
    *msg = MSG{nullptr, WM_QUIT, WPARAM(q.quitCode), 0, Now(), {}};
    if (remove) q.quit = false;
    return true;
  }
  return false;
}

// A window, parent before children, that has something to paint.
HWND NeedsPaint(HWND handle) {
  auto w = FindWindow(handle);
  if (!w || !w->Visible()) return nullptr;
  RECT box;
  if (GetRgnBox(w->update, &box) != NULLREGION) return handle;
  for (HWND child : w->children)
    if (HWND found = NeedsPaint(child)) return found;
  return nullptr;
}

bool TakePaint(MSG* msg, HWND filter) {
  for (HWND top : TopLevelWindows()) {
    HWND found = NeedsPaint(top);
    if (found && ForWindow(found, filter)) {
      *msg = MSG{found, WM_PAINT, 0, 0, Now(), {}};
      return true;
    }
  }
  return false;
}

bool TakeTimer(MSG* msg, HWND filter, bool remove) {
  const std::uint64_t now = GetTickCount64();
  for (Timer& t : Timers()) {
    if (t.due > now || !ForWindow(t.window, filter)) continue;
    *msg = MSG{t.window, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), Now(), {}};
    if (remove) t.due = now + t.period;
    return true;
  }
  return false;
}

}  // namespace

void KillWindowTimers(HWND window) {
  auto& timers = Timers();
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window; }),
               timers.end());
}

std::optional<std::uint64_t> NextTimerDue() {
  std::optional<std::uint64_t> next;
  for (const Timer& t : Timers())
    if (!next || t.due < *next) next = t.due;
  return next;
}

void SetIdleHandler(std::function<bool()> handler) { IdleHandler() = std::move(handler); }

void PumpPendingMessages() {
  MSG msg;
  for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

LRESULT EraseWithClassBrush(Window& window, HDC dc) {
  HBRUSH brush = window.windowClass->background;
  if (!brush) return 0;
  const auto value = reinterpret_cast<ULONG_PTR>(brush);
  if (value <= 31) brush = GetSysColorBrush(int(value) - 1);  // a system colour + 1
  RECT client;
  GetClientRect(window.handle, &client);
  FillRect(dc, &client, brush);
  return 1;
}

}  // namespace win::user

namespace win {

using namespace user;

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  auto w = FindWindow(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  auto& frames = SubclassFrames();
  frames.push_back(SubclassFrame{handle, w->subclasses, 0, w->proc});
  const LRESULT result = RunChain(frames.back(), message, wParam, lParam);
  frames.pop_back();
  return result;
}

LRESULT DefSubclassProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  for (auto it = SubclassFrames().rbegin(); it != SubclassFrames().rend(); ++it)
    if (it->window == handle) return RunChain(*it, message, wParam, lParam);
  auto w = FindWindow(handle);
  return w ? CallWindowProcA(w->proc, handle, message, wParam, lParam) : 0;
}

BOOL PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (handle && !IsWindow(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Queue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    POINT pt{};
    GetCursorPos(&pt);
    q.posted.push_back(MSG{handle, message, wParam, lParam, Now(), pt});
  }
  q.arrived.notify_all();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Queue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    q.quit = true;
    q.quitCode = exitCode;
  }
  q.arrived.notify_all();
}

BOOL PeekMessageA(MSG* msg, HWND filter, UINT first, UINT last, UINT remove) {
  if (!msg) return FALSE;
  const bool take = remove & PM_REMOVE;
  CheckHover();
  if (TakePosted(msg, filter, first, last, take)) return TRUE;
  if (InRange(WM_PAINT, first, last) && TakePaint(msg, filter)) return TRUE;
  if (InRange(WM_TIMER, first, last) && TakeTimer(msg, filter, take)) return TRUE;
  return FALSE;
}

BOOL GetMessageA(MSG* msg, HWND filter, UINT first, UINT last) {
  for (;;) {
    if (PeekMessageA(msg, filter, first, last, PM_REMOVE)) return msg->message != WM_QUIT;
    if (IdleHandler() && IdleHandler()()) continue;
    int waitMs = 100;
    if (auto next = NextDue()) {
      const std::uint64_t now = GetTickCount64();
      waitMs = *next <= now ? 0 : int(std::min<std::uint64_t>(*next - now, 100));
    }
    if (Display().waitForEvents) {
      Display().waitForEvents(waitMs);
    } else {
      Queue& q = TheQueue();
      std::unique_lock lock(q.mutex);
      q.arrived.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return !q.posted.empty() || q.quit; });
    }
  }
}

BOOL TranslateMessage(const MSG* msg) { return msg && msg->message == WM_KEYDOWN; }

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void RunModalLoop(HWND window) {
  MSG msg;
  while (IsWindow(window)) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(int(msg.wParam));  // for the loop outside
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (window && !IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  static UINT_PTR nextThreadTimer = 0x7000;
  if (!window) id = nextThreadTimer++;
  const UINT period = std::max<UINT>(elapse, 10);  // the platform's minimum
  auto& timers = Timers();
  for (Timer& t : timers)
    if (t.window == window && t.id == id) {
      t = Timer{window, id, period, GetTickCount64() + period, proc};
      return id ? id : 1;
    }
  timers.push_back(Timer{window, id, period, GetTickCount64() + period, proc});
  return id ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  auto& timers = Timers();
  const auto before = timers.size();
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window && t.id == id; }),
               timers.end());
  return timers.size() != before;
}

// ---- Painting ----------------------------------------------------------------

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  if (!handle) {
    for (HWND top : TopLevelWindows()) InvalidateRect(top, nullptr, erase);
    return TRUE;
  }
  auto w = FindWindow(handle);
  if (!w) return FALSE;
  RECT area;
  GetClientRect(handle, &area);
  if (rect) IntersectRect(&area, &area, rect);
  HRGN piece = CreateRectRgnIndirect(&area);
  CombineRgn(w->update, w->update, piece, RGN_OR);
  DeleteObject(piece);
  if (erase) w->eraseNeeded = true;
  return TRUE;
}

BOOL ValidateRect(HWND handle, const RECT* rect) {
  auto w = FindWindow(handle);
  if (!w) return FALSE;
  if (!rect) {
    CombineRgn(w->update, w->update, w->update, RGN_XOR);
  } else {
    HRGN piece = CreateRectRgnIndirect(rect);
    CombineRgn(w->update, w->update, piece, RGN_DIFF);
    DeleteObject(piece);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND handle, RECT* rect, BOOL) {
  auto w = FindWindow(handle);
  if (!w) return FALSE;
  RECT box{};
  const int type = GetRgnBox(w->update, &box);
  if (rect) *rect = box;
  return type != NULLREGION;
}

BOOL UpdateWindow(HWND handle) {
  if (!IsWindow(handle)) return FALSE;
  if (GetUpdateRect(handle, nullptr, FALSE)) SendMessageA(handle, WM_PAINT, 0, 0);
  return TRUE;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
  auto w = FindWindow(handle);
  if (!w || !paint) return nullptr;
  *paint = PAINTSTRUCT{};
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(region, w->update, nullptr, RGN_COPY);
  GetRgnBox(region, &paint->rcPaint);
  CombineRgn(w->update, w->update, w->update, RGN_XOR);  // validated
  paint->hdc = gdi::CreateWindowDC(handle, w->surface, region);
  DeleteObject(region);
  if (w->eraseNeeded) {
    w->eraseNeeded = false;
    paint->fErase = SendMessageA(handle, WM_ERASEBKGND, WPARAM(paint->hdc), 0) ? FALSE : TRUE;
  }
  return paint->hdc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  DeleteDC(paint->hdc);
  NotifyWindowChanged(handle);
  return TRUE;
}

HDC GetDC(HWND handle) {
  if (!handle) return gdi::CreateScreenDC();
  auto w = FindWindow(handle);
  return w ? gdi::CreateWindowDC(handle, w->surface, nullptr) : nullptr;
}

HDC GetWindowDC(HWND handle) { return GetDC(handle); }

int ReleaseDC(HWND handle, HDC dc) {
  if (!DeleteDC(dc)) return 0;
  if (handle) NotifyWindowChanged(handle);
  return 1;
}

}  // namespace win
