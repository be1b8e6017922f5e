#pragma once
// The archive's records of what was done to an instrument: the detail of
// each event kind as JSON, written here and read back here, so that its
// keys live in one place (docs/archive-schema.md lists them).
//
//   config_set  {"settings": {"alarm": {"old": "0050", "new": "0070", "confirmed": true}, ...}}
//               old: read before the order; new: read back after it
//   clock_set   {"before": "05/23/08 1650", "before_iso": "2008-05-23T16:50",
//                "after": ..., "after_iso": ..., "confirmed": true,
//                "drift_s": -3600 (collect's; null for clock set)}
//   erase       {"download_id": 3, "readings_erased": 24, "all_archived": true,
//                "last_download_complete": true}   (null where not known)
//   collect     {"download_id": 3, "lines": 30, "readings": 24, "new_readings": 24,
//                "complete": true, "erased": true, "clock_set": false}
//
// Texts from the instrument are its bytes, taken as Latin-1 in the JSON's
// UTF-8. A record that cannot be written is reported like every failure of
// the archive; the change on the instrument stands all the same.

#include <cstdint>
#include <optional>
#include <string>

#include "archive/archive.h"
#include "cli/collect.h"
#include "cli/commands.h"
#include "instrument/clock.h"
#include "instrument/settings.h"

// named: the values config set was given; before and after: read around it.
std::string settings_change_detail(const SettingTexts& named, const SettingTexts& before, const SettingTexts& after,
                                   const SettingOrderOutcomes& outcomes);
std::string clock_change_detail(const ClockReading& before, const ClockReading& after, bool confirmed,
                                std::optional<long long> drift_s);
struct EraseRecord {
  std::optional<std::int64_t> download_id;
  std::optional<std::int64_t> readings_erased;
  std::optional<bool> all_archived;
  std::optional<bool> last_download_complete;
};
std::string erase_detail(const EraseRecord& erase);
std::string collect_detail(const CollectSummary& summary);

// Records the event as of now; false with the archive's message reported.
bool record_change(Archive& archive, const Streams& streams, EventKind kind, const std::string& port,
                   const std::optional<std::string>& instrument, const std::string& detail_json);

// One line for people: "alarm 0050 -> 0070", "24 readings erased, every one
// archived"; the detail's JSON as it is for a detail of another form.
std::string change_summary(const EventRecord& event);
