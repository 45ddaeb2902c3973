#include <cairo.h>

#include <cstdio>
#include <map>

#include "platform/display/Display.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/WindowSystem.h"

namespace win::display {

namespace {

std::map<std::string, std::function<std::string(HWND)>>& Describers() {
  static auto* describers = new std::map<std::string, std::function<std::string(HWND)>>();
  return *describers;
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "\"0x%08X\"", value);
  return text;
}

void DescribeWindow(HWND handle, std::string& out) {
  auto w = user::FindWindow(handle);
  if (!w) return;
  RECT r{};
  GetWindowRect(handle, &r);
  out += "{\"class\":" + JsonString(w->windowClass->name) + ",\"id\":" + std::to_string(w->Child() ? w->id : 0) +
         ",\"text\":" + JsonString(Utf8FromAnsi(w->text)) + ",\"rect\":[" + std::to_string(r.left) + "," +
         std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom) + "]" +
         ",\"visible\":" + (IsWindowVisible(handle) ? "true" : "false") + ",\"style\":" + Hex(w->style) +
         ",\"exStyle\":" + Hex(w->exStyle);
  auto describer = Describers().find(user::Lower(w->windowClass->name));
  if (describer != Describers().end()) {
    const std::string extra = describer->second(handle);
    if (!extra.empty()) out += "," + extra;
  }
  out += ",\"children\":[";
  // Children listed bottom first, the order they are drawn in.
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
    if (it != w->children.rbegin()) out += ",";
    DescribeWindow(*it, out);
  }
  out += "]}";
}

}  // namespace

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

void RegisterTreeDescriber(const std::string& className, std::function<std::string(HWND)> describe) {
  Describers()[user::Lower(className)] = std::move(describe);
}

std::string WindowTreeJson() {
  std::string out = "{\"screen\":[" + std::to_string(user::ScreenSize().cx) + "," + std::to_string(user::ScreenSize().cy) +
                    "],\"windows\":[";
  const std::vector<HWND> order = user::TopLevelWindows();
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i) out += ",";
    DescribeWindow(order[i], out);
  }
  return out + "]}\n";
}

bool WritePng(HBITMAP picture, const std::string& path) {
  const gdi::PixelView view = gdi::PixelsOf(picture);
  if (!view.data) return false;
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(view.data, CAIRO_FORMAT_ARGB32, view.width, view.height, view.stride);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

bool SnapshotWindow(HWND window, const std::string& path) {
  HBITMAP picture = ComposeWindow(window);
  if (!picture) return false;
  const bool ok = WritePng(picture, path);
  DeleteObject(picture);
  return ok;
}

bool SnapshotScreen(const std::string& path) {
  HBITMAP picture = ComposeScreen();
  const bool ok = WritePng(picture, path);
  DeleteObject(picture);
  return ok;
}

void MouseMove(int x, int y) { user::DeliverMouseMove(POINT{x, y}); }
void MouseDown(int x, int y) { user::DeliverMouseButton(user::MouseButton::Left, true, POINT{x, y}); }
void MouseUp(int x, int y) { user::DeliverMouseButton(user::MouseButton::Left, false, POINT{x, y}); }
void Click(int x, int y) {
  MouseDown(x, y);
  MouseUp(x, y);
}
void MouseLeave() { user::DeliverMouseLeftScreen(); }

}  // namespace win::display
