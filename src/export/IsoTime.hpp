#pragma once
// UTC instants as ISO 8601 text, for the schedules of exported routes.
// Times are seconds since 1970-01-01T00:00:00Z (std::time_t, UTC).

#include <ctime>
#include <string>

namespace tessarin {

// "YYYY-MM-DDTHH:MM:SSZ".
std::string formatIsoUtc(std::time_t t);

// Reads "YYYY-MM-DDTHH:MM[:SS]" followed by "Z", "+HH:MM", "-HH:MM" or
// nothing (taken as UTC). False, t untouched, on anything else or on a field
// out of its range (month 13, minute 60 ...).
bool parseIsoUtc(const std::string& text, std::time_t& t);

}  // namespace tessarin
