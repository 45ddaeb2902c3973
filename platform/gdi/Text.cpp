// DrawTextA on Pango. A laid-out text is kept as a coverage mask, so text
// drawn again (a marquee draws the same text at every tick) is only blended.
// Our headers first: glib's TRUE and FALSE macros must not meet their
// declarations.
#include "platform/gdi/GdiObjects.h"
#include "platform/kernel/CodePage.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <mutex>
#include <string>

namespace win {

using namespace gdi;

namespace {

constexpr const char* kFallbackFamily = "WenQuanYi Micro Hei";
constexpr std::size_t kCachedLayouts = 32;

struct LaidOutText {
  std::string key;
  int width = 0;      // logical size
  int height = 0;
  int offsetX = 0;    // where the logical box starts inside the wrap width
  std::vector<std::uint8_t> coverage;  // width * height
};

// The text as UTF-8 with "&" prefixes resolved: the underlined character's
// byte range, if any.
struct Prefixed {
  std::string text;
  int underlineStart = -1;
  int underlineEnd = -1;
};

Prefixed ResolvePrefixes(const std::string& utf8, bool prefixes) {
  Prefixed out;
  if (!prefixes) {
    out.text = utf8;
    return out;
  }
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '&' && i + 1 < utf8.size()) {
      ++i;
      if (utf8[i] != '&' && out.underlineStart < 0) {
        out.underlineStart = int(out.text.size());
        std::size_t length = 1;
        while (i + length < utf8.size() && (static_cast<unsigned char>(utf8[i + length]) & 0xC0) == 0x80) ++length;
        out.underlineEnd = int(out.text.size() + length);
      }
    }
    out.text.push_back(utf8[i]);
  }
  return out;
}

class TextEngine {
 public:
  static TextEngine& Get() {
    static auto* engine = new TextEngine();
    return *engine;
  }

  const LaidOutText& Layout(const LOGFONTA& font, const std::string& ansi, UINT format, int wrapWidth) {
    const std::string key = Key(font, ansi, format, wrapWidth);
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
      if (it->key == key) {
        cache_.splice(cache_.begin(), cache_, it);
        return cache_.front();
      }
    }
    cache_.push_front(Build(font, ansi, format, wrapWidth));
    cache_.front().key = key;
    if (cache_.size() > kCachedLayouts) cache_.pop_back();
    return cache_.front();
  }

 private:
  TextEngine() {
    fontMap_ = pango_cairo_font_map_get_default();
    context_ = pango_font_map_create_context(fontMap_);
    pango_cairo_context_set_resolution(context_, 96);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context_, options);
    cairo_font_options_destroy(options);
  }

  static std::string Key(const LOGFONTA& f, const std::string& text, UINT format, int wrapWidth) {
    const UINT relevant = format & (DT_WORDBREAK | DT_SINGLELINE | DT_NOPREFIX | DT_CENTER | DT_RIGHT | DT_EDITCONTROL);
    return std::to_string(f.lfHeight) + "/" + std::to_string(f.lfWeight) + "/" + std::to_string(f.lfItalic) + "/" +
           std::to_string(f.lfUnderline) + "/" + f.lfFaceName + "/" + std::to_string(relevant) + "/" +
           std::to_string(wrapWidth) + "/" + text;
  }

  PangoFontDescription* Describe(const LOGFONTA& f) const {
    PangoFontDescription* description = pango_font_description_new();
    const std::string face = Utf8FromAnsi(std::string(f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE)));
    pango_font_description_set_family(description, face.empty() ? kFallbackFamily : (face + "," + kFallbackFamily).c_str());
    // A negative height is the character height, a positive one the cell.
    const double pixels = f.lfHeight < 0 ? -f.lfHeight : f.lfHeight > 0 ? f.lfHeight * 0.8 : 12;
    pango_font_description_set_absolute_size(description, pixels * PANGO_SCALE);
    pango_font_description_set_weight(description, PangoWeight(f.lfWeight == 0 ? FW_NORMAL : f.lfWeight));
    pango_font_description_set_style(description, f.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return description;
  }

  LaidOutText Build(const LOGFONTA& font, const std::string& ansi, UINT format, int wrapWidth) {
    const Prefixed text = ResolvePrefixes(Utf8FromAnsi(ansi), !(format & DT_NOPREFIX));
    PangoLayout* layout = pango_layout_new(context_);
    PangoFontDescription* description = Describe(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, text.text.c_str(), int(text.text.size()));
    if (format & DT_SINGLELINE) pango_layout_set_single_paragraph_mode(layout, TRUE);
    if (wrapWidth >= 0) {
      pango_layout_set_width(layout, std::max(1, wrapWidth) * PANGO_SCALE);
      pango_layout_set_wrap(layout, (format & DT_EDITCONTROL) ? PANGO_WRAP_WORD_CHAR : PANGO_WRAP_WORD);
      if (format & DT_CENTER) pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
      else if (format & DT_RIGHT) pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT);
    }
    PangoAttrList* attributes = pango_attr_list_new();
    if (font.lfUnderline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (text.underlineStart >= 0) {
      PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
      underline->start_index = guint(text.underlineStart);
      underline->end_index = guint(text.underlineEnd);
      pango_attr_list_insert(attributes, underline);
    }
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);

    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    LaidOutText out;
    out.width = text.text.empty() ? 0 : logical.width;
    out.height = logical.height;
    out.offsetX = logical.x;
    if (out.width > 0 && out.height > 0) {
      cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, out.width, out.height);
      cairo_t* cr = cairo_create(mask);
      cairo_move_to(cr, -logical.x, -logical.y);
      pango_cairo_show_layout(cr, layout);
      cairo_destroy(cr);
      cairo_surface_flush(mask);
      const int stride = cairo_image_surface_get_stride(mask);
      const unsigned char* data = cairo_image_surface_get_data(mask);
      out.coverage.resize(std::size_t(out.width) * out.height);
      for (int y = 0; y < out.height; ++y)
        std::memcpy(&out.coverage[std::size_t(y) * out.width], data + std::size_t(y) * stride, std::size_t(out.width));
      cairo_surface_destroy(mask);
    }
    g_object_unref(layout);
    return out;
  }

  PangoFontMap* fontMap_ = nullptr;
  PangoContext* context_ = nullptr;
  std::list<LaidOutText> cache_;
};

std::mutex textMutex;

const LOGFONTA& FontOf(const DC& dc) {
  auto font = FindAs<Font>(dc.font, Kind::Font);
  if (!font) font = FindAs<Font>(GetStockObject(SYSTEM_FONT), Kind::Font);
  return font->logFont;
}

// Blends text colour into the pixels under the coverage mask; GDI leaves
// alpha 0 on every pixel it touches.
void Blend(const Bitmap& target, const LaidOutText& text, int x, int y, const RECT& clip, COLORREF color) {
  const std::uint32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  const int top = std::max(clip.top, y), bottom = std::min(clip.bottom, y + text.height);
  const int left = std::max(clip.left, x), right = std::min(clip.right, x + text.width);
  for (int py = top; py < bottom; ++py) {
    std::uint32_t* row = target.Row(py);
    const std::uint8_t* cover = &text.coverage[std::size_t(py - y) * text.width];
    for (int px = left; px < right; ++px) {
      const unsigned c = cover[px - x];
      if (c == 0) continue;
      const std::uint32_t d = row[px];
      const unsigned dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
      const unsigned nr = (r * c + dr * (255 - c) + 127) / 255;
      const unsigned ng = (g * c + dg * (255 - c) + 127) / 255;
      const unsigned nb = (b * c + db * (255 - c) + 127) / 255;
      row[px] = nr << 16 | ng << 8 | nb;
    }
  }
}

}  // namespace

int DrawTextA(HDC handle, LPCSTR text, int length, RECT* rect, UINT format) {
  auto dc = FindDC(handle);
  if (!dc || !text || !rect) return 0;
  const std::string ansi(text, length < 0 ? std::strlen(text) : std::size_t(length));
  const bool wraps = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
  const int rectWidth = rect->right - rect->left;

  std::lock_guard lock(textMutex);
  const LaidOutText& laid = TextEngine::Get().Layout(FontOf(*dc), ansi, format, wraps ? rectWidth : -1);

  if (format & DT_CALCRECT) {
    rect->right = rect->left + (wraps ? std::max(laid.width, 0) : laid.width);
    rect->bottom = rect->top + laid.height;
    return laid.height;
  }
  auto target = TargetOf(*dc);
  if (!target) return laid.height;
  cairo_surface_flush(target->surface);

  int x = rect->left, y = rect->top;
  if (wraps) {
    x += laid.offsetX;  // lines are aligned inside the wrap width already
  } else if (format & DT_CENTER) {
    x += (rectWidth - laid.width) / 2;
  } else if (format & DT_RIGHT) {
    x = rect->right - laid.width;
  }
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y += (rect->bottom - rect->top - laid.height) / 2;
    else if (format & DT_BOTTOM) y = rect->bottom - laid.height;
  }

  cairo_region_t* drawable = DrawableRegion(*dc, *target);
  if (!(format & DT_NOCLIP)) {
    const cairo_rectangle_int_t box{rect->left, rect->top, rectWidth, rect->bottom - rect->top};
    cairo_region_intersect_rectangle(drawable, &box);
  }
  const int n = cairo_region_num_rectangles(drawable);
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(drawable, i, &r);
    const RECT clip{r.x, r.y, r.x + r.width, r.y + r.height};
    if (dc->bkMode == OPAQUE) {
      const std::uint32_t pixel = PixelOf(dc->bkColor);
      for (int py = std::max(clip.top, y); py < std::min(clip.bottom, y + laid.height); ++py)
        for (int px = std::max(clip.left, x); px < std::min(clip.right, x + laid.width); ++px) target->Row(py)[px] = pixel;
    }
    if (!laid.coverage.empty()) Blend(*target, laid, x, y, clip, dc->textColor);
  }
  cairo_region_destroy(drawable);
  cairo_surface_mark_dirty(target->surface);
  return laid.height;
}

BOOL GetTextExtentPoint32A(HDC handle, LPCSTR text, int length, SIZE* size) {
  auto dc = FindDC(handle);
  if (!dc || !text || !size || length < 0) return FALSE;
  std::lock_guard lock(textMutex);
  const LaidOutText& laid =
      TextEngine::Get().Layout(FontOf(*dc), std::string(text, std::size_t(length)), DT_SINGLELINE | DT_NOPREFIX, -1);
  *size = SIZE{laid.width, laid.height};
  return TRUE;
}

}  // namespace win
