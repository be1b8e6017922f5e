// The reading filter's rule outside the archive (filter_admits), case by
// case, and the same cases asked of the SQLite archive's query: a CSV
// file's readings and the archive's are in scope by one rule.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "archive/sqlite_archive.h"
#include "tests/archive/archive_files.h"

namespace {

using Ids = std::vector<std::int64_t>;

struct FilterCase {
  const char* name;
  std::function<void(ReadingFilter&)> set;
  Ids admitted;  // reading ids, in arrival order
};

class ReadingFilterRule : public ArchiveFolder {};

TEST_F(ReadingFilterRule, AdmitsWhatTheArchiveSelects) {
  const auto archive = open_archive(path_of("archive.sqlite"), ArchiveOpenMode::create);
  // Readings 1 to 4 come with download 1, readings 5 and 6 with download 2.
  store_log(*archive, session("000000042", {data_line("05/23/08 1432", "A00017", "  12", "OK"),
                                            data_line("05/23/08 2359", "A17   ", " 240", "HIGH"),
                                            data_line("05/24/08 0000", "a00017", "   5", "OK"),
                                            data_line("02/30/08 1433", "A00017", "  61", "HIGH")}));
  // A reading before any header line has no instrument; the instrument
  // line of the next session carries blanks after the number.
  const std::vector<std::string> second = session("  57", {data_line("05/24/08 0001", "A00018", "   1", "OK")});
  std::vector<std::string> lines = {data_line("05/24/08 0002", "A00018", "   2", "OK")};
  lines.insert(lines.end(), second.begin(), second.end());
  lines[3] = " I...............000124  ";
  store_log(*archive, lines, "000124");

  const FilterCase cases[] = {
      {"nothing given", [](ReadingFilter&) {}, {1, 2, 3, 4, 5, 6}},
      {"location", [](ReadingFilter& f) { f.location = "A00017"; }, {1, 4}},
      {"location stored with blanks, given with others", [](ReadingFilter& f) { f.location = " A17 "; }, {2}},
      {"case counts", [](ReadingFilter& f) { f.location = "a00017"; }, {3}},
      {"no prefix match", [](ReadingFilter& f) { f.location = "A0001"; }, {}},
      {"instrument stored with blanks, given with others", [](ReadingFilter& f) { f.instrument = " 000124 "; }, {6}},
      {"no instrument is an empty one", [](ReadingFilter& f) { f.instrument = "  "; }, {5}},
      {"user", [](ReadingFilter& f) { f.user_id = "57"; }, {6}},
      {"since, inclusive, and no time is out",
       [](ReadingFilter& f) { f.since_iso = "2008-05-23T23:59"; },
       {2, 3, 5, 6}},
      {"until, inclusive", [](ReadingFilter& f) { f.until_iso = "2008-05-23T23:59"; }, {1, 2}},
      {"one minute", [](ReadingFilter& f) { f.since_iso = f.until_iso = "2008-05-24T00:00"; }, {3}},
      {"location and a bound", [](ReadingFilter& f) { f.location = "A00017", f.since_iso = "2000-01-01T00:00"; }, {1}},
      {"download", [](ReadingFilter& f) { f.download_id = 2; }, {5, 6}},
      {"download and user", [](ReadingFilter& f) { f.download_id = 1, f.user_id = "57"; }, {}},
  };
  std::vector<ArchivedReading> every_reading;
  archive->for_each_reading({}, [&every_reading](const ArchivedReading& reading) {
    every_reading.push_back(reading);
    return true;
  });
  for (const FilterCase& filter_case : cases) {
    ReadingFilter filter;
    filter_case.set(filter);
    Ids admitted, selected;
    for (const ArchivedReading& reading : every_reading) {
      if (filter_admits(filter, reading)) admitted.push_back(reading.id);
    }
    archive->for_each_reading(filter, [&selected](const ArchivedReading& reading) {
      selected.push_back(reading.id);
      return true;
    });
    EXPECT_EQ(admitted, filter_case.admitted) << filter_case.name;
    EXPECT_EQ(selected, filter_case.admitted) << filter_case.name << " (the archive's query)";
  }
  int handed = 0;
  archive->for_each_reading({}, [&handed](const ArchivedReading&) { return ++handed < 2; });
  EXPECT_EQ(handed, 2) << "the readings go on after the callback said stop";
}

}  // namespace
