#pragma once
// "tessarin-plan fill AREA --out NAME [...]": lays a survey design over the
// polygon of AREA (a polygon file or a shapefile) in the working folder's
// world (config.txt and tiles), writes the plan as "Save plan as..." does
// (NAME.csv, LL_NAME.csv, NAME.cvt, NAME_Report.txt) and prints the totals
// on standard output, one "key: value" a line. Progress and messages go to
// standard error.

#include <ostream>
#include <string>
#include <vector>

#include "design/SurveyDesign.hpp"

namespace tessarin {

struct FillArgs {
    std::string area;
    std::string out;
    SurveyDesign design;
    bool overlapGiven = false;  // else the configuration's fill_overlap
    bool fit = false;
};

// False with a one-line reason for arguments the command cannot run with.
bool parseFillArgs(const std::vector<std::string>& args, FillArgs& a, std::string& error);

// args: everything after "fill". Returns the exit status: 0 written; 2 bad
// arguments or an unreadable area; 1 no line laid (nothing written) or a
// file that could not be written.
int runFill(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kFillUsage;

}  // namespace tessarin
