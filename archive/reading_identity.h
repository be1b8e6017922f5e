#pragma once
// A reading's identity in the archive and the integer key that finds it.
//
// The identity is the reading's seven texts as stored (the instrument's
// bytes as Latin-1 in UTF-8), in the order instrument, user ID, mode,
// date/time, location, PPM, status, each ended by the byte 0xFF: UTF-8
// never holds that byte, so no two lists of texts give the same bytes.
//
// The identity key stored with each reading is its minute times 2^29 plus
// the low 29 bits of a hash: the minute is datetime_iso's digits as the
// number YYMMDDhhmm (0 when the reading's time is not a time), the hash the
// 64-bit FNV-1a of the identity's bytes continued over the occurrence as
// eight bytes, least significant first. An index on it makes the check for
// an earlier copy one integer lookup, and since logs run forward in time,
// a download's keys fall at the index's end and its lookups walk it in
// order, as a hash alone would not. The rows a key finds are compared text
// for text, so readings whose keys collide are all kept.
//
// The key is part of the file format (docs/archive-schema.md): another key
// needs an upgrade step that computes it anew, for which reading_identity
// is the key as an SQL function of the stored columns.
//
// It does not decide what counts as an earlier copy: the store's query does.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/sqlite.h"
#include "datalog/readings.h"

inline constexpr std::size_t kIdentityTexts = 7;

// The key of the identity whose bytes hash to texts_hash, at its
// occurrence, for a reading at datetime_iso ("2008-05-23T14:32"; none when
// its time is not a time).
std::int64_t identity_key(std::uint64_t texts_hash, std::int64_t occurrence,
                          std::optional<std::string_view> datetime_iso);

// One reading's identity at a time, its storage reused.
class StoredIdentity {
 public:
  void assign(const Reading& reading);

  // The text in the order above, as stored.
  std::string_view text(std::size_t index) const;
  std::string_view bytes() const { return bytes_; }
  std::uint64_t hash() const { return hash_; }

 private:
  std::string bytes_;
  std::array<std::size_t, kIdentityTexts + 1> starts_{};
  std::uint64_t hash_ = 0;
};

// Numbers the readings alike in every text within one store: 1 for the
// first, 2 for the second alike, ... A flat table of small slots, each the
// hash of one identity with its count, its bytes kept back to back beside:
// a million readings cost one table lookup each, where a map of nodes would
// miss the cache several times. Bytes are compared whenever the hashes are
// equal, so a collision never merges two identities.
class OccurrenceCounter {
 public:
  std::int64_t next(std::uint64_t hash, std::string_view identity_bytes);

 private:
  struct Slot {
    std::uint64_t hash = 0;
    std::uint32_t identity = 0;  // in starts_, from 1; 0 while the slot is free
    std::uint32_t count = 0;
  };

  std::string_view identity(std::uint32_t number) const;
  std::size_t slot_of(std::uint64_t hash, std::string_view identity_bytes) const;
  void grow();

  std::vector<Slot> slots_;
  // Where each identity's bytes begin in identities_, and where the next's would.
  std::vector<std::size_t> starts_{0};
  std::string identities_;
};

// reading_identity(instrument, user_id, mode, datetime, location, ppm,
// status, occurrence, datetime_iso) in this connection's SQL: the identity
// key of the columns of that name.
void define_reading_identity(Database& database);
