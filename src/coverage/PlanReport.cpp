#include "coverage/PlanReport.hpp"

#include <cstdarg>
#include <cstdio>

#include "plan/ReplacingFile.hpp"

namespace tessarin {
namespace {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* fmt, ...) {
    char text[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    return text;
}

// printf takes doubles; the values are narrowed to float first.
double narrow(double v) { return static_cast<double>(static_cast<float>(v)); }

// Legs of different speeds are shown at their mean speed, and said to be.
std::string distanceLine(const PlanTotals& t) {
    const double nm = t.distanceNm, knots = t.speedKnots;
    return t.speedIsMean ? format("Distance %7.2f nm  at %5.2f kts (mean)\n", nm, knots)
                         : format("Distance %7.2f nm  at %5.2f kts\n", nm, knots);
}

}  // namespace

std::vector<std::string> planStatsWindowLines(const PlanStatistics& s, const PlanTotals& t, float dayRate,
                                              bool areasUpdating) {
    const MappingTime time = mappingTime(t.hours, dayRate);
    std::vector<std::string> lines;
    lines.push_back("  ");
    lines.push_back(format("Total Mapped Area      : %7.2f square km \n", narrow(s.totalMappedArea)));
    lines.push_back(format("Overlap GEBCO 2020     : %7.2f square km \n", narrow(s.referenceOverlapArea)));
    lines.push_back(format("New Mapping            : %7.2f square km \n", narrow(s.newMapping())));
    lines.push_back(format("Self Overlap           : %7.2f square km \n", narrow(s.selfOverlapArea)));
    if (areasUpdating) lines.push_back(kAreasUpdatingLine);
    lines.push_back(" ");
    lines.push_back(distanceLine(t));
    if (time.daysForm) {
        lines.push_back(
            format("Mapping Time : %d days, %5.2f hr\n", time.days, static_cast<double>(time.remainingHours)));
    } else {
        lines.push_back(format("Mapping Time : %7.2f hr\n", static_cast<double>(t.hours)));
    }
    if (t.legWithoutSpeed) lines.push_back(kLegWithoutSpeedLine);
    lines.push_back(format("Approximate Cost   : %s \n", formatCost(time.cost).c_str()));
    return lines;
}

std::string planReportText(const PlanStatistics& s, const PlanTotals& t, float dayRate) {
    const MappingTime time = mappingTime(t.hours, dayRate);
    std::string text;
    text += format("Total Mapped Area              : %7.2f square km \n", narrow(s.totalMappedArea));
    text += format("Overlap with GEBCO Mapped Area : %7.2f square km \n", narrow(s.referenceOverlapArea));
    text += format("New Mapping                    : %7.2f square km \n", narrow(s.newMapping()));
    text += format("Self Overlap                   : %7.2f square km \n", narrow(s.selfOverlapArea));
    text += format("Self Overlap Percentage        : %7.2f percent\n", narrow(s.selfOverlapPercent()));
    text += distanceLine(t);
    if (time.daysForm) {
        text += format("Mapping Time : %d days, %7.2f hr\n", time.days, static_cast<double>(time.remainingHours));
    } else {
        text += format("Mapping Time : %7.2f hr\n", static_cast<double>(t.hours));
    }
    if (t.legWithoutSpeed) text += kLegWithoutSpeedLine;
    text += format("Estimated Cost :$%7.2f \n", static_cast<double>(time.cost));
    return text;
}

bool writeReport(const std::string& path, const PlanStatistics& stats, const PlanTotals& totals, float dayRate,
                 std::ostream& out) {
    ReplacingFile file(path);
    if (!file.isOpen()) {
        out << "CANNOT CREATE " << path << "\n";
        return false;
    }
    const std::string text = planReportText(stats, totals, dayRate);
    std::fputs(text.c_str(), file.get());
    if (!file.commit()) {
        out << "FAILED TO WRITE " << path << "\n";
        return false;
    }
    return true;
}

}  // namespace tessarin
