// Opening an archive: created where allowed, refused and left byte for byte
// unchanged when it is not one of ours, damaged or newer; two programs
// storing at once both stored; a program killed while storing leaves no
// half download.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "archive/schema.h"
#include "archive/sqlite.h"
#include "archive/sqlite_archive.h"
#include "tests/archive/archive_files.h"

namespace {

std::string bytes_of(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> many_readings(int count) {
  std::vector<std::string> data;
  for (int i = 0; i < count; ++i) {
    data.push_back(data_line("05/23/08 1432", "A" + std::to_string(10000 + i % 90000), "  12", "OK"));
  }
  return session("42", data);
}

class ArchiveOpen : public ArchiveFolder {};

TEST_F(ArchiveOpen, CreatesFileAndFolderOnlyWhenAllowed) {
  const std::string missing = path_of("sub/folder/archive.sqlite");
  try {
    open_archive(missing, ArchiveOpenMode::existing);
    ADD_FAILURE() << "a missing archive was opened";
  } catch (const ArchiveError& error) {
    EXPECT_EQ(error.kind(), ArchiveErrorKind::cannot_open);
    EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_FALSE(std::filesystem::exists(path_of("sub")));

  store_log(*open_archive(missing, ArchiveOpenMode::create), session("42", {"05/23/08 1432   A00017        12    OK"}));
  EXPECT_EQ(open_archive(missing, ArchiveOpenMode::existing)->check().readings, 1);

  const std::string empty = path_of("empty.sqlite");
  write_bytes(empty, "");
  EXPECT_THROW(open_archive(empty, ArchiveOpenMode::existing), ArchiveError);
  EXPECT_TRUE(open_archive(empty, ArchiveOpenMode::create)->check().ok);
  EXPECT_THROW(open_archive(path_of("sub"), ArchiveOpenMode::create), ArchiveError);
}

// Makes a file at path that is not an archive we may write.
using FileMaker = std::function<void(const std::string& path)>;

void sqlite_file(const std::string& path, const char* sql) {
  Database(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).execute(sql);
}

struct RefusalCase {
  const char* name;
  FileMaker make;
  ArchiveErrorKind kind;
};

TEST_F(ArchiveOpen, RefusesWhatIsNotOursAndLeavesItUnchanged) {
  const RefusalCase cases[] = {
      {"a text file", [](const std::string& path) { write_bytes(path, "Instrument #,User ID #\r\n"); },
       ArchiveErrorKind::not_an_archive},
      {"an SQLite file of other tables",
       [](const std::string& path) { sqlite_file(path, "CREATE TABLE readings (x); CREATE TABLE notes (y)"); },
       ArchiveErrorKind::not_an_archive},
      {"an empty SQLite file of another program",
       [](const std::string& path) { sqlite_file(path, "PRAGMA application_id = 42; CREATE TABLE t (x); DROP TABLE t"); },
       ArchiveErrorKind::not_an_archive},
      {"a newer archive",
       [](const std::string& path) {
         store_log(*open_archive(path, ArchiveOpenMode::create), session("42", {"x"}));
         sqlite_file(path, "PRAGMA user_version = 2");
       },
       ArchiveErrorKind::newer_version},
      {"an archive without its readings",
       [](const std::string& path) {
         open_archive(path, ArchiveOpenMode::create);
         sqlite_file(path, "PRAGMA journal_mode = DELETE; DROP TABLE readings");
       },
       ArchiveErrorKind::damaged},
      {"an archive whose table list is overwritten",
       [](const std::string& path) {
         store_log(*open_archive(path, ArchiveOpenMode::create), many_readings(50));
         std::string bytes = bytes_of(path);
         constexpr std::size_t kFirstPageContent = 100;
         for (std::size_t i = kFirstPageContent; i < 4096; ++i) bytes[i] = static_cast<char>(0xA5);
         write_bytes(path, bytes);
       },
       ArchiveErrorKind::damaged},
  };
  int run = 0;
  for (const RefusalCase& c : cases) {
    const std::string path = path_of("refused" + std::to_string(++run) + ".sqlite");
    c.make(path);
    const std::string before = bytes_of(path);
    for (const ArchiveOpenMode mode : {ArchiveOpenMode::create, ArchiveOpenMode::existing}) {
      try {
        open_archive(path, mode);
        ADD_FAILURE() << c.name << " was opened";
      } catch (const ArchiveError& error) {
        EXPECT_EQ(error.kind(), c.kind) << c.name << ": " << error.what();
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
      }
    }
    EXPECT_EQ(bytes_of(path), before) << c.name;
  }
}

TEST_F(ArchiveOpen, TwoProgramsStoringAtOnceAreBothStored) {
  const std::string path = path_of("archive.sqlite");
  open_archive(path, ArchiveOpenMode::create);
  constexpr int kStoresEach = 5;
  const auto store_many = [&path](const std::string& user_id) {
    const auto archive = open_archive(path, ArchiveOpenMode::existing);
    for (int i = 0; i < kStoresEach; ++i) {
      std::vector<std::string> lines = many_readings(2000);
      lines[3] = " U..............." + user_id + std::to_string(i);
      store_log(*archive, lines);
    }
  };
  std::thread first(store_many, "A");
  std::thread second(store_many, "B");
  first.join();
  second.join();
  const ArchiveCheck check = open_archive(path, ArchiveOpenMode::existing)->check();
  EXPECT_TRUE(check.ok);
  EXPECT_EQ(check.downloads, 2 * kStoresEach);
  EXPECT_EQ(check.readings, 2 * kStoresEach * 2000);
}

TEST_F(ArchiveOpen, AProgramKilledWhileStoringLeavesNoHalfDownload) {
  const std::string path = path_of("archive.sqlite");
  open_archive(path, ArchiveOpenMode::create);
  constexpr int kReadingsPerDownload = 20000;
  const auto stored_downloads = [&path] { return open_archive(path, ArchiveOpenMode::existing)->check().downloads; };
  // Each child is killed while it stores again after a whole download, so
  // almost surely in the middle of one.
  for (int round = 1; round <= 2; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const auto archive = open_archive(path, ArchiveOpenMode::existing);
      for (int i = 0;; ++i) {
        std::vector<std::string> lines = many_readings(kReadingsPerDownload);
        lines[3] = " U..............." + std::to_string(getpid()) + "-" + std::to_string(i);
        store_log(*archive, lines);
      }
    }
    while (stored_downloads() < round) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(20 * round));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  const auto archive = open_archive(path, ArchiveOpenMode::existing);
  const ArchiveCheck check = archive->check();
  EXPECT_TRUE(check.ok);
  EXPECT_GE(check.downloads, 2);
  EXPECT_EQ(check.readings, check.downloads * kReadingsPerDownload);
  EXPECT_EQ(check.log_lines, check.downloads * (kReadingsPerDownload + 5));
  for (const DownloadSummary& download : archive->downloads()) EXPECT_EQ(download.readings, kReadingsPerDownload);
}

}  // namespace
