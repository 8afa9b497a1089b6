#include "ProfileCommand.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "plan/Configuration.hpp"
#include "design/DepthProfile.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/ReplacingFile.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

const char* const kProfileUsage = "usage: tessarin-plan profile PLAN --out FILE.csv [--step METRES]";

struct CommandPlan::Parts {
    std::ostream quiet{nullptr};
    Configuration config;
    NullTextureSink sink;
    TileStore tiles{quiet, sink};
    std::unique_ptr<SurveyPlan> plan;
};

CommandPlan::CommandPlan() : parts_(std::make_unique<Parts>()) {
    std::ifstream probe("config.txt");
    if (probe) readConfiguration(probe, parts_->quiet, parts_->config);
    const Configuration& c = parts_->config;
    parts_->plan = std::make_unique<SurveyPlan>(parts_->tiles, parts_->quiet, c.depthMultiplier, c.turnRadiusMetres(),
                                                c.boatSpeed, c.extinctionTable);
}

CommandPlan::~CommandPlan() = default;

bool CommandPlan::load(const std::string& path, std::string& error) {
    float meanLat = 0.0f, meanLon = 0.0f;
    const int added = loadPlan(*parts_->plan, path, meanLat, meanLon);
    if (added < 0) {
        error = "cannot read plan file " + path;
        return false;
    }
    if (added == 0) {
        error = "no waypoints in " + path;
        return false;
    }
    parts_->plan->generateSwaths(true);
    return true;
}

SurveyPlan& CommandPlan::plan() { return *parts_->plan; }
TileStore& CommandPlan::tiles() { return parts_->tiles; }

namespace {

struct ProfileArgs {
    std::string plan;
    std::string out;
    double step = 0.0;  // 0: the plan's own swath samples
};

bool parseProfileArgs(const std::vector<std::string>& args, ProfileArgs& a, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& s = args[i];
        if ((s == "--out" || s == "--step") && i + 1 >= args.size()) {
            error = s + " needs a value";
            return false;
        }
        if (s == "--out") {
            a.out = args[++i];
        } else if (s == "--step") {
            const std::string& v = args[++i];
            char* end = nullptr;
            const double step = std::strtod(v.c_str(), &end);
            // Below a metre the samples would only repeat the 15" grid.
            if (end == v.c_str() || *end != '\0' || !(step >= 1.0) || !(step <= 1.0e6)) {
                error = "the step must be a number of metres from 1 to 1000000: " + v;
                return false;
            }
            a.step = step;
        } else if (s.size() > 1 && s[0] == '-') {
            error = "unknown option " + s;
            return false;
        } else if (a.plan.empty()) {
            a.plan = s;
        } else {
            error = "more than one plan file: " + s;
            return false;
        }
    }
    if (a.plan.empty() || a.out.empty()) {
        error = "a plan file and --out are needed";
        return false;
    }
    return true;
}

}  // namespace

int runProfile(const std::vector<std::string>& args, std::ostream& err) {
    ProfileArgs a;
    std::string error;
    if (!parseProfileArgs(args, a, error)) {
        err << "tessarin-plan profile: " << error << "\n" << kProfileUsage << "\n";
        return 2;
    }
    CommandPlan loaded;
    if (!loaded.load(a.plan, error)) {
        err << "tessarin-plan profile: " << error << "\n";
        return 2;
    }
    const DepthProfile profile = a.step > 0.0 ? steppedProfile(loaded.plan(), loaded.tiles(), a.step)
                                              : planProfile(loaded.plan(), loaded.tiles());
    ReplacingFile file(a.out);
    if (file.isOpen()) {
        std::FILE* f = file.get();
        std::fprintf(f, "leg,distance_km,lon,lat,depth_m,port_m,starboard_m\n");
        for (const ProfileSample& s : profile.samples) {
            std::fprintf(f, "%d,%.4f,%.6f,%.6f,%.2f,%.1f,%.1f\n", s.leg + 1, s.distanceKm, s.lon, s.lat,
                         static_cast<double>(s.elevationM), static_cast<double>(s.portM),
                         static_cast<double>(s.starboardM));
        }
    }
    if (!file.isOpen() || !file.commit()) {
        err << "tessarin-plan profile: cannot write " << a.out << "\n";
        return 1;
    }
    err << "wrote " << profile.samples.size() << " samples to " << a.out << "\n";
    return 0;
}

}  // namespace tessarin
