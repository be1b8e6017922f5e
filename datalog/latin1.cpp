#include "datalog/latin1.h"

namespace {

constexpr unsigned kFirstNonAscii = 0x80;
constexpr std::size_t kMostUtf8BytesPerByte = 2;
constexpr unsigned kTwoByteLead = 0xC0;
constexpr unsigned kContinuation = 0x80;
constexpr unsigned kContinuationBits = 0x3F;
constexpr unsigned kLeadBits = 0x1F;
// The lead bytes of U+0080 to U+00FF.
constexpr unsigned kLatin1LeadLow = 0xC2;
constexpr unsigned kLatin1LeadHigh = 0xC3;

bool is_continuation(unsigned byte) { return (byte & ~kContinuationBits) == kContinuation; }

}  // namespace

std::string utf8_of_latin1(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size());
  append_utf8_of_latin1(bytes, text);
  return text;
}

void append_utf8_of_latin1(std::string_view bytes, std::string& text) {
  const std::size_t start = text.size();
  text.resize(start + kMostUtf8BytesPerByte * bytes.size());
  char* const end = write_utf8_of_latin1(bytes, text.data() + start);
  text.resize(static_cast<std::size_t>(end - text.data()));
}

char* write_utf8_of_latin1(std::string_view bytes, char* out) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < kFirstNonAscii) {
      *out++ = c;
    } else {
      *out++ = static_cast<char>(kTwoByteLead | (byte >> 6));
      *out++ = static_cast<char>(kContinuation | (byte & kContinuationBits));
    }
  }
  return out;
}

std::string latin1_of_utf8(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if ((lead == kLatin1LeadLow || lead == kLatin1LeadHigh) && i + 1 < text.size() &&
        is_continuation(static_cast<unsigned char>(text[i + 1]))) {
      const auto next = static_cast<unsigned char>(text[++i]);
      bytes += static_cast<char>(((lead & kLeadBits) << 6) | (next & kContinuationBits));
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}
