// The timestamp text of CVS/Entries: "Wed Jan 02 02:03:55 2008", always UTC, day of month zero-padded.
// Platform-free.
#pragma once

#include <cstdint>
#include <string>

// FILETIME ticks (100 ns since 1601-01-01 UTC) to seconds since 1970-01-01 UTC, truncating towards zero.
int64_t FileTimeToUnixSeconds(uint64_t fileTime);

// The 24-character text of a UTC instant; empty when the instant lies outside the years 1970 to 3000,
// the range the platform's runtime can break down.
std::string FormatTimestamp(int64_t unixSeconds);

// Whether a timestamp recorded in CVS/Entries stands for the computed text. Equal texts match; so does a
// recorded text whose day of month is padded with a space where the computed one has a leading zero, as
// the client writes it ("Tue Dec  8 ..." for "Tue Dec 08 ..."). Nothing else is tolerated.
bool TimestampMatches(const std::string& recorded, const std::string& computed);
