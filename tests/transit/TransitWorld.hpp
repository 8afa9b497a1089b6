#pragma once
// A transit planner over an empty tile world in a fresh temporary folder, with
// the console captured, a progress sink that records its calls, and a
// segment fitter whose scores are scripted call by call.

#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "earth/ProgressSink.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "transit/SegmentFitter.hpp"
#include "transit/TransitPlanner.hpp"
#include "support/RecordingProgress.hpp"

namespace tessarin::test {

// Scores come from a queue (0 when it runs dry). Each fit moves the line
// east by its own amount, so the ends a segment keeps tell which fits made
// them: maxEdge +1, maxEdgeLateral +2, refineEdgeOverlap +0.1, extend +0.01.
// maxEdge decides the port side. Every call is logged with its arguments.
class ScriptedFitter : public SegmentFitter {
public:
    static constexpr double kMaxEdgeShift = 1.0;
    static constexpr double kLateralShift = 2.0;
    static constexpr double kRefineShift = 0.1;
    static constexpr double kExtendShift = 0.01;

    float maxEdge(const FitLine& line, FitLine& result, float widthA, float widthB, int& side) override {
        log.push_back("maxEdge " + num(widthA) + " " + num(widthB) + " side " + std::to_string(side));
        result = shifted(line, kMaxEdgeShift, searchYShift);
        side = kSidePort;
        return next();
    }
    float maxEdgeLateral(const FitLine& line, FitLine& result, float widthA, float widthB) override {
        log.push_back("maxEdgeLateral " + num(widthA) + " " + num(widthB));
        result = shifted(line, kLateralShift, searchYShift);
        return next();
    }
    float refineEdgeOverlap(const FitLine& line, FitLine& result, float overlapPercent, float stepFraction,
                            int& side) override {
        log.push_back("refine " + num(overlapPercent) + " " + num(stepFraction) + " side " + std::to_string(side));
        result = shifted(line, kRefineShift);
        return next();
    }
    void extendEdgeOverlap(const FitLine& line, FitLine& result, int& side) override {
        log.push_back("extend side " + std::to_string(side));
        result = shifted(line, kExtendShift);
    }

    std::deque<float> scores;
    std::vector<std::string> log;
    // Moved north (map units) by the sideways searches too, with the
    // latitudes left as they were, as a fit that reports only x and y.
    double searchYShift = 0.0;

private:
    float next() {
        if (scores.empty()) return 0.0f;
        const float s = scores.front();
        scores.pop_front();
        return s;
    }
    static FitLine shifted(const FitLine& line, double dLon, double dY = 0.0) {
        FitLine out = line;
        out.lonA += dLon;
        out.lonB += dLon;
        out.yA += dY;
        out.yB += dY;
        return out;
    }
    static std::string num(float v) {
        std::ostringstream s;
        s << v;
        return s.str();
    }
};

struct TransitWorld {
    explicit TransitWorld(bool scripted = true) {
        auto f = std::make_unique<ScriptedFitter>();
        fitter = f.get();
        transit = std::make_unique<TransitPlanner>(tiles, plan, coverage, out, boatSpeed, depthMultiplier,
                                                   scripted ? std::move(f) : nullptr);
        if (!scripted) fitter = nullptr;
        out.str("");  // the extinction curve's start-up lines
    }

    std::string takeOutput() {
        std::string s = out.str();
        out.str("");
        return s;
    }

    TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles{out, sink, dir.path()};
    SurveyPlan plan{tiles, out, 3.0f, 4.42f, 9.0f, dir.file("none.txt")};
    SurveyPolygon polygon{out, 3.0f};
    CoverageGrid coverage{tiles, plan, polygon, out};
    float boatSpeed = 9.0f;
    float depthMultiplier = 3.0f;
    ScriptedFitter* fitter = nullptr;
    RecordingProgress progress;
    std::unique_ptr<TransitPlanner> transit;
};

}  // namespace tessarin::test
