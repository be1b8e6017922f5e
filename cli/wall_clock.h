#pragma once
// The computer's clock as 719k writes it down: UTC as ISO 8601 with a "Z"
// for the archive's times ("2026-12-07T19:09:24Z"), local time with its
// offset for what the computer's clock showed ("2026-12-07T20:09:24+01:00"),
// and local time for people ("2026-12-07 20:09:24").
//
// UTC is worked out from the seconds since 1970 with the civil calendar's
// arithmetic, not with gmtime or timegm, which keep a shared buffer or are
// not on every platform; local time comes from localtime_r, so that the
// threads of dock may ask at once. Nothing here parses the instrument's
// clock.

#include <ctime>
#include <optional>
#include <string>

// "2026-12-07T19:09:24Z".
std::string utc_iso_of(std::time_t time);
std::string utc_iso_now();

// The time that utc_iso_of wrote; none for another text.
std::optional<std::time_t> time_of_utc_iso(const std::string& text);

// "2026-12-07 20:09:24" in the computer's time zone; empty when the C runtime
// cannot convert the time.
std::string local_time_text(std::time_t time);

// The local time now as ISO 8601 with its offset: "2026-12-07T08:30:01+01:00".
std::string local_time_with_offset_now();

// The local time as the C runtime breaks it down; none when it cannot.
std::optional<std::tm> local_tm_of(std::time_t time);
std::optional<std::tm> local_tm_now();
