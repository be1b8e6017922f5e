#include "archive/reading_identity.h"

#include <sqlite3.h>

#include "datalog/latin1.h"

namespace {

constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ULL;
constexpr std::uint64_t kFnvPrime = 1099511628211ULL;
constexpr char kTextEnd = '\xFF';
constexpr int kOccurrenceBytes = 8;
constexpr int kBitsPerByte = 8;
constexpr std::uint64_t kByteMask = 0xFF;
// YYMMDDhhmm is below 2^34, so the key stays positive.
constexpr int kHashBits = 29;
constexpr std::uint64_t kHashMask = (std::uint64_t{1} << kHashBits) - 1;
// Where datetime_iso ("2008-05-23T14:32") has the digits YY, MM, DD, hh, mm.
constexpr std::size_t kMinuteDigitPairs[] = {2, 5, 8, 11, 14};
constexpr std::size_t kDatetimeIsoChars = 16;
constexpr std::uint64_t kDecimal = 10;
// A power of two, as the table's size always is.
constexpr std::size_t kFirstSlots = 1024;

std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash) {
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= kFnvPrime;
  }
  return hash;
}

std::optional<std::string_view> text_argument(sqlite3_value* argument) {
  const unsigned char* text = sqlite3_value_text(argument);
  if (text == nullptr) return std::nullopt;
  return std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_value_bytes(argument)));
}

void reading_identity(sqlite3_context* context, int /*argument_count*/, sqlite3_value** arguments) {
  std::uint64_t hash = kFnvOffsetBasis;
  for (std::size_t i = 0; i < kIdentityTexts; ++i) {
    hash = fnv1a(text_argument(arguments[i]).value_or(std::string_view()), hash);
    hash = fnv1a(std::string_view(&kTextEnd, 1), hash);
  }
  sqlite3_result_int64(context, identity_key(hash, sqlite3_value_int64(arguments[kIdentityTexts]),
                                             text_argument(arguments[kIdentityTexts + 1])));
}

std::uint64_t minute_of(std::optional<std::string_view> datetime_iso) {
  if (!datetime_iso || datetime_iso->size() != kDatetimeIsoChars) return 0;
  std::uint64_t minute = 0;
  for (const std::size_t at : kMinuteDigitPairs) {
    for (const char digit : datetime_iso->substr(at, 2)) {
      if (digit < '0' || digit > '9') return 0;
      minute = minute * kDecimal + static_cast<std::uint64_t>(digit - '0');
    }
  }
  return minute;
}

}  // namespace

std::int64_t identity_key(std::uint64_t texts_hash, std::int64_t occurrence,
                          std::optional<std::string_view> datetime_iso) {
  const auto occurrence_bits = static_cast<std::uint64_t>(occurrence);
  std::uint64_t hash = texts_hash;
  for (int i = 0; i < kOccurrenceBytes; ++i) {
    hash ^= (occurrence_bits >> (i * kBitsPerByte)) & kByteMask;
    hash *= kFnvPrime;
  }
  return static_cast<std::int64_t>((minute_of(datetime_iso) << kHashBits) | (hash & kHashMask));
}

void StoredIdentity::assign(const Reading& reading) {
  const std::string* texts[kIdentityTexts] = {&reading.header.instrument_number,
                                              &reading.header.user_id,
                                              &reading.header.mode,
                                              &reading.date_time,
                                              &reading.location,
                                              &reading.ppm,
                                              &reading.status};
  // Room for the most the texts can take; written in one pass, then cut.
  std::size_t most = 0;
  for (const std::string* text : texts) most += 2 * text->size() + 1;
  bytes_.resize(most);
  char* const start = bytes_.data();
  char* out = start;
  for (std::size_t i = 0; i < kIdentityTexts; ++i) {
    starts_[i] = static_cast<std::size_t>(out - start);
    out = write_utf8_of_latin1(*texts[i], out);
    *out++ = kTextEnd;
  }
  bytes_.resize(static_cast<std::size_t>(out - start));
  starts_[kIdentityTexts] = bytes_.size();
  hash_ = fnv1a(bytes_, kFnvOffsetBasis);
}

std::string_view StoredIdentity::text(std::size_t index) const {
  // Without the end byte.
  return std::string_view(bytes_).substr(starts_[index], starts_[index + 1] - starts_[index] - 1);
}

std::int64_t OccurrenceCounter::next(std::uint64_t hash, std::string_view identity_bytes) {
  // At most half full, so that a free slot is near.
  if (2 * starts_.size() > slots_.size()) grow();
  Slot& slot = slots_[slot_of(hash, identity_bytes)];
  if (slot.identity == 0) {
    identities_ += identity_bytes;
    starts_.push_back(identities_.size());
    slot = Slot{hash, static_cast<std::uint32_t>(starts_.size() - 1), 0};
  }
  return ++slot.count;
}

std::string_view OccurrenceCounter::identity(std::uint32_t number) const {
  return std::string_view(identities_).substr(starts_[number - 1], starts_[number] - starts_[number - 1]);
}

std::size_t OccurrenceCounter::slot_of(std::uint64_t hash, std::string_view identity_bytes) const {
  const std::size_t mask = slots_.size() - 1;
  // FNV's last steps stir the high bits more than the low.
  for (auto index = static_cast<std::size_t>(hash ^ (hash >> 32)) & mask;; index = (index + 1) & mask) {
    const Slot& slot = slots_[index];
    if (slot.identity == 0 || (slot.hash == hash && identity(slot.identity) == identity_bytes)) return index;
  }
}

void OccurrenceCounter::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? kFirstSlots : 2 * old.size(), Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.identity == 0) continue;
    auto index = static_cast<std::size_t>(slot.hash ^ (slot.hash >> 32)) & mask;
    while (slots_[index].identity != 0) index = (index + 1) & mask;
    slots_[index] = slot;
  }
}

void define_reading_identity(Database& database) {
  database.define_function("reading_identity", static_cast<int>(kIdentityTexts) + 2, reading_identity);
}
