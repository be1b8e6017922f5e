#include "screen_match.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Mean difference per colour channel (0 to 255) under which two renderings
// of an icon count as the same; the same icon drawn by the same code differs
// by nothing, a different icon by far more.
constexpr int kSameIconMeanDifference = 6;
// Alpha from which an icon pixel hides the caption under it entirely.
constexpr int kOpaqueAlpha = 250;
// How far from the window's top-left corner the caption icon is looked for.
constexpr int kCaptionSearchWidth = 24;
constexpr int kCaptionSearchHeight = 16;

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> bgra;  // top-down rows
  std::uint32_t at(int x, int y) const { return bgra[static_cast<std::size_t>(y * width + x)]; }
};

// A 32-bit top-down bitmap header: rows in reading order, one BGRA word per
// pixel.
BITMAPINFO top_down_bgra(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  std::uint32_t* bits = nullptr;
  int width = 0;
  int height = 0;

  Canvas(int w, int h) : width(w), height(h) {
    BITMAPINFO info = top_down_bgra(w, h);
    void* raw = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
    bits = static_cast<std::uint32_t*>(raw);
    previous = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  Pixels pixels() const {
    GdiFlush();
    Pixels out;
    out.width = width;
    out.height = height;
    out.bgra.assign(bits, bits + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    return out;
  }
};

Pixels capture_screen(const RECT& area) {
  Canvas canvas(area.right - area.left, area.bottom - area.top);
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.dc, 0, 0, canvas.width, canvas.height, screen, area.left, area.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return canvas.pixels();
}

int channel_difference(std::uint32_t a, std::uint32_t b) {
  int sum = 0;
  for (int shift = 0; shift < 24; shift += 8)
    sum += std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff));
  return sum;
}

// Mean difference per channel of two equally sized images.
int mean_difference(const Pixels& a, const Pixels& b) {
  long long total = 0;
  for (std::size_t i = 0; i < a.bgra.size(); ++i) total += channel_difference(a.bgra[i], b.bgra[i]);
  return static_cast<int>(total / (3 * static_cast<long long>(a.bgra.size())));
}

Pixels draw_over(HICON icon, const Pixels& background) {
  Canvas canvas(background.width, background.height);
  for (std::size_t i = 0; i < background.bgra.size(); ++i) canvas.bits[i] = background.bgra[i];
  DrawIconEx(canvas.dc, 0, 0, icon, canvas.width, canvas.height, 0, nullptr, DI_NORMAL);
  return canvas.pixels();
}

// The icon's own colour and alpha at its drawn size.
Pixels icon_bits(HICON icon, int size) {
  Pixels out;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return out;
  BITMAPINFO header = top_down_bgra(size, size);
  out.width = size;
  out.height = size;
  out.bgra.resize(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  HDC dc = GetDC(nullptr);
  if (!info.hbmColor ||
      !GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(size), out.bgra.data(), &header, DIB_RGB_COLORS))
    out.bgra.clear();
  ReleaseDC(nullptr, dc);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return out;
}

// Mean difference over the icon's opaque pixels with the icon placed at
// (left, top) of the screen capture; -1 when it has no opaque pixel.
int opaque_difference(const Pixels& icon, const Pixels& screen, int left, int top) {
  long long total = 0;
  long long counted = 0;
  for (int y = 0; y < icon.height; ++y) {
    for (int x = 0; x < icon.width; ++x) {
      const std::uint32_t pixel = icon.at(x, y);
      if (static_cast<int>(pixel >> 24) < kOpaqueAlpha) continue;
      total += channel_difference(pixel, screen.at(left + x, top + y));
      ++counted;
    }
  }
  return counted ? static_cast<int>(total / (3 * counted)) : -1;
}

}  // namespace

namespace {

// The target paints a little after its window appears (the caption, a box's
// icon), so a capture that shows no match is taken again for a while before
// the answer is no.
constexpr DWORD kPaintWaitMs = 3000;
constexpr DWORD kRecaptureIntervalMs = 100;

template <typename Try>
bool retry_until_painted(Try attempt) {
  const DWORD started = GetTickCount();
  for (;;) {
    if (attempt()) return true;
    if (GetTickCount() - started >= kPaintWaitMs) return false;
    Sleep(kRecaptureIntervalMs);
  }
}

std::string closest_box_icon(HWND icon_control) {
  struct Candidate {
    const char* name;
    LPCSTR resource;
  };
  static const Candidate kCandidates[] = {
      {"error", IDI_ERROR},
      {"warning", IDI_WARNING},
      {"information", IDI_INFORMATION},
      {"question", IDI_QUESTION},
  };
  RECT area{};
  GetWindowRect(icon_control, &area);
  const Pixels screen = capture_screen(area);
  // The icon's corners are transparent: the corner pixel is the background
  // that the static control painted under the icon.
  Pixels background = screen;
  for (auto& pixel : background.bgra) pixel = screen.at(0, 0);

  std::string best = "unknown";
  int best_difference = kSameIconMeanDifference;
  for (const Candidate& candidate : kCandidates) {
    const int difference =
        mean_difference(draw_over(LoadIconA(nullptr, candidate.resource), background), screen);
    if (difference < best_difference) {
      best_difference = difference;
      best = candidate.name;
    }
  }
  return best;
}

}  // namespace

std::string identify_box_icon(HWND icon_control) {
  std::string name;
  retry_until_painted([&] {
    name = closest_box_icon(icon_control);
    return name != "unknown";
  });
  return name;
}

bool caption_shows_icon(HWND window, const std::string& module_path, int icon_id) {
  HMODULE module = LoadLibraryExA(module_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return false;
  const int size = GetSystemMetrics(SM_CXSMICON);
  HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, size, size, 0));
  const Pixels expected = icon ? icon_bits(icon, size) : Pixels{};
  if (icon) DestroyIcon(icon);
  FreeLibrary(module);
  if (expected.bgra.empty()) return false;

  return retry_until_painted([&] {
    RECT frame{};
    GetWindowRect(window, &frame);
    const RECT area{frame.left, frame.top, frame.left + kCaptionSearchWidth + size,
                    frame.top + kCaptionSearchHeight + size};
    const Pixels screen = capture_screen(area);
    for (int top = 0; top < kCaptionSearchHeight; ++top) {
      for (int left = 0; left < kCaptionSearchWidth; ++left) {
        const int difference = opaque_difference(expected, screen, left, top);
        if (difference >= 0 && difference < kSameIconMeanDifference) return true;
      }
    }
    return false;
  });
}
