// An archive of version 1, as the program of that version wrote it
// (data/version1.sqlite), opened by this one: upgraded in place with every
// download, line, reading and event kept, and the readings it held found
// again when their logs come back.
//
// The file holds, for instrument 000123 and user M\xFCller: a download of
// {first, first, second} marked erased, a download of {first, third} after
// the erase, an import of {fourth, first}, and an erase event for 000777.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/schema.h"
#include "archive/sqlite_archive.h"
#include "datalog/csv.h"
#include "tests/archive/archive_files.h"

namespace {

const std::string kUser = "M\xFCller";
const std::string kFirst = data_line("05/23/08 1432", "A00017", "  12", "OK");
// "\xC4" "0018": the byte 0xC4, then the digits.
const std::string kSecond = data_line("05/23/08 1433", "A\xC4" "0018", " 240", "HIGH");
const std::string kThird = data_line("05/23/08 1438", "B00102", "1050", "ALARM");
const std::string kFourth = data_line("05/23/08 1445", "A00017", "  33", "OK");

class ArchiveUpgrade : public ArchiveFolder {};

TEST_F(ArchiveUpgrade, AVersionOneArchiveKeepsItsRecordsAndFindsItsReadingsAgain) {
  const std::string path = path_of("archive.sqlite");
  std::filesystem::copy_file(std::filesystem::path(SET719K_ARCHIVE_TEST_DATA) / "version1.sqlite", path);
  const auto archive = open_archive(path, ArchiveOpenMode::existing);

  const ArchiveCheck check = archive->check();
  EXPECT_EQ(std::vector<std::int64_t>({check.ok, check.schema_version, check.downloads, check.log_lines,
                                       check.readings, check.events}),
            std::vector<std::int64_t>({true, kArchiveSchemaVersion, 3, 15, 6, 1}));
  std::vector<std::string> archived = {kFirst, kFirst, kSecond, kFirst, kThird, kFourth};
  EXPECT_EQ(archived_csv(*archive), csv_text(session(kUser, archived)));
  EXPECT_EQ(archive->download_lines(2), session(kUser, {kFirst, kThird}));

  // The log after the erase, and the import, come again: nothing new.
  EXPECT_EQ(store_log(*archive, session(kUser, {kFirst, kThird})).new_readings, 0);
  EXPECT_EQ(store_import(*archive, session(kUser, {kFourth, kFirst})).new_readings, 0);
  // That log grown: only its new readings, an identical one among them.
  EXPECT_EQ(store_log(*archive, session(kUser, {kFirst, kThird, kSecond, kFirst})).new_readings, 2);
  archived.insert(archived.end(), {kSecond, kFirst});
  EXPECT_EQ(archived_csv(*archive), csv_text(session(kUser, archived)));
}

}  // namespace
