#include "report/html_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

constexpr char32_t kFirstPrintable = 0x20;
constexpr char32_t kDelete = 0x7F;
constexpr char32_t kFirstC1Control = 0x80;
constexpr char32_t kLastC1Control = 0x9F;
constexpr char32_t kFirstControlPicture = 0x2400;
constexpr char32_t kDeletePicture = 0x2421;
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr std::size_t kIsoMinuteChars = 16;  // "2008-05-23T14:32"
constexpr std::size_t kIsoTimeSeparatorAt = 10;
constexpr double kLargestWholeShown = 1e12;

bool is_noncharacter(char32_t code_point) {
  return (code_point >= 0xFDD0 && code_point <= 0xFDEF) || (code_point & 0xFFFE) == 0xFFFE;
}

void append_utf8(std::string& page, char32_t code_point) {
  if (code_point < 0x80) {
    page += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    page += static_cast<char>(0xC0 | (code_point >> 6));
    page += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    page += static_cast<char>(0xE0 | (code_point >> 12));
    page += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    page += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    page += static_cast<char>(0xF0 | (code_point >> 18));
    page += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    page += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    page += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

void append_code_point(std::string& page, char32_t code_point) {
  switch (code_point) {
    case '&': page += "&amp;"; return;
    case '<': page += "&lt;"; return;
    case '>': page += "&gt;"; return;
    case '"': page += "&quot;"; return;
    case '\'': page += "&#39;"; return;
    case '\t': case '\n': case '\r': page += static_cast<char>(code_point); return;
    default: break;
  }
  if (code_point < kFirstPrintable) {
    append_utf8(page, kFirstControlPicture + code_point);
  } else if (code_point == kDelete) {
    append_utf8(page, kDeletePicture);
  } else if ((code_point >= kFirstC1Control && code_point <= kLastC1Control) || is_noncharacter(code_point)) {
    append_utf8(page, kReplacement);
  } else {
    append_utf8(page, code_point);
  }
}

// The code points of a valid UTF-8 text (shortest forms only, no
// surrogates); none when the text is not valid UTF-8.
std::optional<std::u32string> utf8_code_points(std::string_view text) {
  std::u32string code_points;
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length =
        lead < 0x80 ? 1 : lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || at + length > text.size()) return std::nullopt;
    char32_t code_point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t next = 1; next < length; ++next) {
      const auto continuation = static_cast<unsigned char>(text[at + next]);
      if ((continuation & 0xC0) != 0x80) return std::nullopt;
      code_point = (code_point << 6) | (continuation & 0x3F);
    }
    constexpr char32_t kShortestFrom[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code_point < kShortestFrom[length] || code_point > kLastCodePoint ||
        (code_point >= kFirstSurrogate && code_point <= kLastSurrogate)) {
      return std::nullopt;
    }
    code_points += code_point;
    at += length;
  }
  return code_points;
}

}  // namespace

void append_html_text(std::string& page, std::string_view latin1) {
  for (const char byte : latin1) append_code_point(page, static_cast<unsigned char>(byte));
}

std::string html_text(std::string_view latin1) {
  std::string text;
  append_html_text(text, latin1);
  return text;
}

void append_caller_text(std::string& page, std::string_view text) {
  const std::optional<std::u32string> code_points = utf8_code_points(text);
  if (!code_points) return append_html_text(page, text);
  for (const char32_t code_point : *code_points) append_code_point(page, code_point);
}

std::string caller_text(std::string_view text) {
  std::string html;
  append_caller_text(html, text);
  return html;
}

std::string format_ppm(double ppm) {
  if (ppm == 0) return "0";
  char text[64];
  if (std::fabs(ppm) < kLargestWholeShown && ppm == std::round(ppm)) {
    std::snprintf(text, sizeof text, "%.0f", ppm);
    return text;
  }
  std::snprintf(text, sizeof text, "%.2f", ppm);
  std::string shown = text;
  if (shown.find('.') != std::string::npos) {
    while (shown.back() == '0') shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
  }
  return shown;
}

std::string format_mean(double ppm) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", ppm);
  return text;
}

std::string format_count(std::size_t count) {
  const std::string digits = std::to_string(count);
  std::string grouped;
  for (std::size_t at = 0; at < digits.size(); ++at) {
    if (at > 0 && (digits.size() - at) % 3 == 0) grouped += ',';
    grouped += digits[at];
  }
  return grouped;
}

std::string display_time(const std::string& iso) {
  if (iso.size() != kIsoMinuteChars || iso[kIsoTimeSeparatorAt] != 'T') return html_text(iso);
  return html_text(iso.substr(0, kIsoTimeSeparatorAt)) + ' ' + html_text(iso.substr(kIsoTimeSeparatorAt + 1));
}

void append_coordinate(std::string& page, double value) {
  const long long tenths = std::llround(value * 10);
  if (tenths < 0) page += '-';
  const long long magnitude = tenths < 0 ? -tenths : tenths;
  char digits[24];
  page.append(digits, std::to_chars(digits, digits + sizeof digits, magnitude / 10).ptr);
  if (magnitude % 10 != 0) {
    page += '.';
    page += static_cast<char>('0' + magnitude % 10);
  }
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
