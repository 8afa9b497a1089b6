#pragma once
// Survey lines as plain records for acquisition software:
//
// - lines-csv: the header "name,start_lat,start_lon,end_lat,end_lon" and one
//   row per line, signed decimal degrees with 8 decimals, for the column-
//   mapping importers of acquisition packages.
// - asciiplan: a survey-line plan of the kind multibeam acquisition systems
//   import: "DEG", a blank line, "0 0 0 0", then one record per line,
//   `_LINE name number YYYYMMDDhhmmss 0 lat1 lon1 lat2 lon2 "`, latitude
//   first, 8 decimals, CRLF line ends. The layout follows public
//   descriptions of that format only.
//
// Both go through the replace-on-completion file.

#include <ctime>
#include <string>

#include "export/ExportResult.hpp"

namespace tessarin {

class SurveyPlan;

ExportResult exportLinesCsv(const SurveyPlan& plan, const std::string& path);

// madeUtc is the time stamp of every record (the time of the export).
ExportResult exportAsciiPlan(const SurveyPlan& plan, const std::string& path, std::time_t madeUtc);

}  // namespace tessarin
