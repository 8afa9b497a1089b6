#pragma once
// Keeps the plan and the polygon on disk after every change, so that a
// crash, a kill or key q loses no work, and offers the work back when the
// planner next starts in the same folder.
//
// The folder "recovery" in the working folder holds plan.csv (one waypoint a
// line: lon, lat, map-plane y, speed in knots, depth multiplier, full
// precision; and whether the swaths model turns), polygon.csv (one vertex a
// line: lon, lat, in ring order from the first) and state (whether each
// differs from what was last saved or loaded). Each file is written beside
// itself and moved over the old one when complete. Unsaved work found at
// start-up moves to "recovery/offered" until it is recovered or replaced by
// newer unsaved work.

#include <cstdint>
#include <string>
#include <vector>

namespace tessarin {

class PlannerState;

struct RecoveredWork {
    struct Point {
        double lon = 0.0;
        double lat = 0.0;
        double y = 0.0;  // map-plane y
        float speed = 0.0f;
        float depthMultiplier = 0.0f;
    };
    std::vector<Point> waypoints;
    std::vector<Point> vertices;  // lon, lat and y only
    bool withTurns = false;
    bool planUnsaved = false;
    bool polygonUnsaved = false;
};

class RecoveryWriter {
public:
    // folder: the recovery folder, "<root>recovery".
    RecoveryWriter(PlannerState& planner, std::string folder);

    // At start-up, before the first write: keeps unsaved work of the last
    // session as the offer. True (and a line on standard error) when work
    // is offered.
    bool offerLastSession();
    bool offered() const { return offered_; }
    // Replaces plan and polygon by the offered work, as one undo step.
    bool recover();

    // Writes plan and polygon when they may have changed since the last
    // write. False when a file could not be written (reported once).
    bool update();

    // Reads a recovery folder's files; false when it holds nothing.
    static bool read(const std::string& folder, RecoveredWork& work);
    const std::string& folder() const { return folder_; }

private:
    bool write();

    PlannerState& planner_;
    std::string folder_;
    std::uint64_t writtenRevision_ = ~std::uint64_t{0};
    bool offered_ = false;
    bool failureReported_ = false;
};

}  // namespace tessarin
