// A reading's identity and key: occurrences counted by the texts, not by
// their hash; keys ordered by the readings' minute, on which skipping the
// lookup of a newer log's readings rests; and readings whose keys collide
// both kept.

#include "archive/reading_identity.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <utility>
#include <vector>

#include "archive/sqlite.h"
#include "archive/sqlite_archive.h"
#include "datalog/reading_values.h"
#include "tests/archive/archive_files.h"

namespace {

TEST(OccurrenceCounter, CountsByTheTextsWhateverTheirHashes) {
  OccurrenceCounter counter;
  // Few hashes for many identities, so that most share theirs with others,
  // and enough identities to grow the table several times.
  constexpr int kIdentities = 2000;
  constexpr std::uint64_t kHashes = 7;
  for (int round = 1; round <= 3; ++round) {
    for (int i = 0; i < kIdentities; ++i) {
      const std::string identity = "reading " + std::to_string(i);
      ASSERT_EQ(counter.next(static_cast<std::uint64_t>(i) % kHashes, identity), round) << identity;
    }
  }
}

Reading reading_at(const std::string& date_time, const std::string& location) {
  return Reading{{"000123", "42", "M1"}, date_time, location, "  12", "OK"};
}

std::int64_t key_of(const Reading& reading, std::int64_t occurrence = 1) {
  StoredIdentity identity;
  identity.assign(reading);
  return identity_key(identity.hash(), occurrence, reading_datetime_iso(reading.date_time));
}

TEST(IdentityKey, GrowsWithTheReadingsMinuteWhateverTheirTexts) {
  // Each pair: an earlier minute, then a later one, at other places.
  const std::vector<std::pair<std::string, std::string>> earlier_later = {
      {"05/23/08 1432", "05/23/08 1433"}, {"05/23/08 2359", "05/24/08 0000"}, {"12/31/08 2359", "01/01/09 0000"},
      {"02/29/08 1200", "03/01/08 0000"}, {"01/01/00 0000", "12/31/99 2359"},
  };
  for (const auto& [earlier, later] : earlier_later) {
    EXPECT_LT(key_of(reading_at(earlier, "ZZZZZZ"), 99), key_of(reading_at(later, "A00001"))) << earlier;
  }
  EXPECT_LT(key_of(reading_at("99/99/99 9999", "ZZZZZZ"), 99), key_of(reading_at("01/01/00 0000", "A00001")));
  EXPECT_NE(key_of(reading_at("05/23/08 1432", "A00001"), 1), key_of(reading_at("05/23/08 1432", "A00001"), 2));
}

class ArchiveIdentity : public ArchiveFolder {};

TEST_F(ArchiveIdentity, ReadingsWhoseKeysCollideAreBothKept) {
  const std::string path = path_of("archive.sqlite");
  const std::vector<std::string> first = session("42", {data_line("05/23/08 1432", "A00017", "  12", "OK")});
  const std::vector<std::string> second = session("42", {data_line("05/23/08 1432", "A00018", "  12", "OK")});
  store_log(*open_archive(path, ArchiveOpenMode::create), first);
  {
    // The archived reading given the key that the second will have.
    Database database(path, SQLITE_OPEN_READWRITE);
    Statement forge(database, "UPDATE readings SET identity_key = ?1");
    forge.bind(1, key_of(reading_at("05/23/08 1432", "A00018"))).step();
  }
  const auto archive = open_archive(path, ArchiveOpenMode::existing);
  EXPECT_EQ(store_log(*archive, second).new_readings, 1);
  EXPECT_EQ(archive->check().readings, 2);
}

}  // namespace
