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

void write_bytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

void sqlite_file(const std::string& path, const std::string& sql) {
  Database(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).execute(sql.c_str());
}

// A log of distinct readings, told apart from other logs by its user ID.
std::vector<std::string> many_readings(int count, const std::string& user_id = "42") {
  std::vector<std::string> data;
  for (int i = 0; i < count; ++i) data.push_back(data_line("05/23/08 1432", "A" + std::to_string(10000 + i), "  12", "OK"));
  return session(user_id, data);
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
  EXPECT_FALSE(std::filesystem::exists(path_of("sub")));
  store_log(*open_archive(missing, ArchiveOpenMode::create), many_readings(1));
  EXPECT_EQ(open_archive(missing, ArchiveOpenMode::existing)->check().readings, 1);

  const std::string empty = path_of("empty.sqlite");
  write_bytes(empty, "");
  EXPECT_THROW(open_archive(empty, ArchiveOpenMode::existing), ArchiveError);
  EXPECT_TRUE(open_archive(empty, ArchiveOpenMode::create)->check().ok);
  EXPECT_THROW(open_archive(path_of("sub"), ArchiveOpenMode::create), ArchiveError);
}

TEST_F(ArchiveOpen, RefusesWhatIsNotOursAndLeavesItUnchanged) {
  const auto archive_then = [](const std::string& sql) {
    return [sql](const std::string& path) {
      store_log(*open_archive(path, ArchiveOpenMode::create), many_readings(50));
      sqlite_file(path, sql);
    };
  };
  const std::vector<std::pair<std::function<void(const std::string&)>, ArchiveErrorKind>> cases = {
      {[](const std::string& path) { write_bytes(path, "Instrument #,User ID #\r\n"); }, ArchiveErrorKind::not_an_archive},
      {[](const std::string& path) { sqlite_file(path, "CREATE TABLE readings (x); CREATE TABLE notes (y)"); },
       ArchiveErrorKind::not_an_archive},
      {[](const std::string& path) { sqlite_file(path, "PRAGMA application_id = 42; CREATE TABLE t (x); DROP TABLE t"); },
       ArchiveErrorKind::not_an_archive},
      {archive_then("PRAGMA user_version = " + std::to_string(kArchiveSchemaVersion + 1)),
       ArchiveErrorKind::newer_version},
      {archive_then("PRAGMA journal_mode = DELETE; DROP TABLE readings"), ArchiveErrorKind::damaged},
      {[&](const std::string& path) {  // its table list overwritten
         archive_then("PRAGMA journal_mode = DELETE")(path);
         std::string bytes = bytes_of(path);
         constexpr std::size_t kFirstPageHeaderBytes = 100;
         bytes.replace(kFirstPageHeaderBytes, 4000, 4000, '\xA5');
         write_bytes(path, bytes);
       },
       ArchiveErrorKind::damaged},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string path = path_of("refused" + std::to_string(i) + ".sqlite");
    cases[i].first(path);
    const std::string before = bytes_of(path);
    for (const ArchiveOpenMode mode : {ArchiveOpenMode::create, ArchiveOpenMode::existing}) {
      try {
        open_archive(path, mode);
        ADD_FAILURE() << "case " << i << " was opened";
      } catch (const ArchiveError& error) {
        EXPECT_EQ(error.kind(), cases[i].second) << "case " << i << ": " << error.what();
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
      }
    }
    EXPECT_EQ(bytes_of(path), before) << "case " << i;
  }
}

// An archive's connection writes with synchronous FULL, so that a stored
// download survives a power cut, and checks foreign keys; a store leaves
// them unchecked for its transaction only, whether it commits or fails.
TEST_F(ArchiveOpen, WritesDurablyAndChecksForeignKeysOutsideAStoresTransaction) {
  Database database(path_of("archive.sqlite"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  prepare_archive(database, true);
  constexpr std::int64_t kSynchronousFull = 2;
  EXPECT_EQ(single_integer(database, "PRAGMA synchronous"), kSynchronousFull);
  for (const bool commit : {true, false}) {
    {
      ForeignKeysUnchecked unchecked(database);
      Transaction transaction(database);
      EXPECT_EQ(single_integer(database, "PRAGMA foreign_keys"), 0);
      if (commit) transaction.commit();
    }
    EXPECT_EQ(single_integer(database, "PRAGMA foreign_keys"), 1) << (commit ? "committed" : "rolled back");
  }
}

// Each opener must see the file before or after another's creation, never
// half made, and wait for the switch to write-ahead logging.
TEST_F(ArchiveOpen, ProgramsCreatingOneArchiveAtOnceAllOpenIt) {
  constexpr int kRounds = 30;
  constexpr int kOpeners = 4;
  for (int round = 0; round < kRounds; ++round) {
    const std::string path = path_of("archive" + std::to_string(round) + ".sqlite");
    std::vector<std::string> failures(kOpeners);
    std::vector<std::thread> openers;
    for (int i = 0; i < kOpeners; ++i) {
      openers.emplace_back([&path, &failures, i] {
        try {
          open_archive(path, ArchiveOpenMode::create);
        } catch (const ArchiveError& error) {
          failures[i] = error.what();
        }
      });
    }
    for (std::thread& opener : openers) opener.join();
    EXPECT_EQ(failures, std::vector<std::string>(kOpeners)) << "round " << round;
  }
}

TEST_F(ArchiveOpen, TwoProgramsStoringAtOnceAreBothStored) {
  const std::string path = path_of("archive.sqlite");
  open_archive(path, ArchiveOpenMode::create);
  constexpr int kStoresEach = 5;
  const auto store_many = [&path](const std::string& user_id) {
    const auto archive = open_archive(path, ArchiveOpenMode::existing);
    for (int i = 0; i < kStoresEach; ++i) store_log(*archive, many_readings(2000, user_id + std::to_string(i)));
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
  constexpr int kReadingsPerDownload = 20000;
  open_archive(path, ArchiveOpenMode::create);
  const auto stored_downloads = [&path] { return open_archive(path, ArchiveOpenMode::existing)->check().downloads; };
  // Each child is killed while it stores again after a whole download, so
  // almost surely in the middle of one.
  for (int round = 1; round <= 2; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // The child never returns into the test runner, whatever happens.
      try {
        const auto archive = open_archive(path, ArchiveOpenMode::existing);
        for (int i = 0;; ++i) store_log(*archive, many_readings(kReadingsPerDownload, std::to_string(getpid() + i)));
      } catch (...) {
      }
      _exit(1);
    }
    while (stored_downloads() < round) {
      ASSERT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "the storing program ended by itself";
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
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
}

}  // namespace
