#include "LinesCommand.hpp"

#include <cstdio>

#include "ProfileCommand.hpp"
#include "design/DepthProfile.hpp"
#include "design/LineList.hpp"
#include "plan/ReplacingFile.hpp"

namespace tessarin {

const char* const kLinesUsage = "usage: tessarin-plan lines PLAN --out FILE.csv";

int runLines(const std::vector<std::string>& args, std::ostream& err) {
    std::string plan, out, error;
    for (std::size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& s = args[i];
        if (s == "--out") {
            if (i + 1 >= args.size())
                error = "--out needs a value";
            else
                out = args[++i];
        } else if (s.size() > 1 && s[0] == '-') {
            error = "unknown option " + s;
        } else if (plan.empty()) {
            plan = s;
        } else {
            error = "more than one plan file: " + s;
        }
    }
    if (error.empty() && (plan.empty() || out.empty())) error = "a plan file and --out are needed";
    if (!error.empty()) {
        err << "tessarin-plan lines: " << error << "\n" << kLinesUsage << "\n";
        return 2;
    }
    CommandPlan loaded;
    if (!loaded.load(plan, error)) {
        err << "tessarin-plan lines: " << error << "\n";
        return 2;
    }
    const std::vector<LineRow> rows = listLines(loaded.plan(), planProfile(loaded.plan(), loaded.tiles()));
    ReplacingFile file(out);
    if (file.isOpen()) {
        std::FILE* f = file.get();
        std::fprintf(f,
                     "leg,start_lon,start_lat,end_lon,end_lat,heading_deg,length_km,length_nm,speed_kn,hours,"
                     "shallowest_m,deepest_m,min_swath_m\n");
        for (const LineRow& r : rows) {
            std::fprintf(f, "%d,%.6f,%.6f,%.6f,%.6f,%.1f,%.3f,%.3f,%.2f,%.3f,%.2f,%.2f,%.1f\n", r.number, r.startLon,
                         r.startLat, r.endLon, r.endLat, r.headingDeg, static_cast<double>(r.lengthKm),
                         static_cast<double>(r.lengthNm), static_cast<double>(r.speedKnots),
                         static_cast<double>(r.hours), static_cast<double>(r.shallowestM),
                         static_cast<double>(r.deepestM), static_cast<double>(r.minSwathM));
        }
    }
    if (!file.isOpen() || !file.commit()) {
        err << "tessarin-plan lines: cannot write " << out << "\n";
        return 1;
    }
    err << "wrote " << rows.size() << " lines to " << out << "\n";
    return 0;
}

}  // namespace tessarin
