// The readings' JSON, written one reading at a time for the archive's
// millions, must be the very document that the JSON library writes for the
// whole array, as log download gave it before: each log's output parsed and
// dumped again gives its bytes back.

#include "cli/output.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

TEST(ReadingsJson, IsByteForByteTheDocumentOfTheWholeArray) {
  const std::vector<std::string> heading = {"  719   VER. 3.1", " I...............000123", " U...............M\xFCller",
                                            " O...............M1"};
  const std::string reading = "05/23/08 1432   A00017        12    OK";
  const std::string odd_reading = "02/30/08 1433   A00018       n/a    \"HIGH\"\t";
  const std::vector<std::vector<std::string>> logs = {
      {}, heading, {reading}, {heading[0], heading[1], reading, odd_reading}};
  for (const std::vector<std::string>& log : logs) {
    const std::string written = log_output(log, LogFormat::json);
    EXPECT_EQ(written, json_document(nlohmann::ordered_json::parse(written))) << written;
  }
  EXPECT_EQ(log_output({}, LogFormat::json), "[]\n");
}

}  // namespace
