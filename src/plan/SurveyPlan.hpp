#pragma once
// The ship's route: a doubly linked list of waypoints, each carrying the leg
// to its successor with the leg's swath, length and area.
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).

#include <ostream>
#include <string>

#include "plan/Waypoint.hpp"

namespace tessarin {

class TileStore;

class SurveyPlan {
public:
    // Loads the extinction curve from extinctionFile (flat at depthMultiplier
    // when it cannot be opened) and prints the three probe lines.
    SurveyPlan(TileStore& tiles, std::ostream& out, float depthMultiplier, float turnRadiusMetres,
               float boatSpeed, const std::string& extinctionFile);
    ~SurveyPlan();
    SurveyPlan(const SurveyPlan&) = delete;
    SurveyPlan& operator=(const SurveyPlan&) = delete;

    void addWaypoint(double lon, double y, double lat, float speed, float depthMultiplier);
    void addStartWaypoint(bool atStart, double lon, double y, double lat, float speed, float depthMultiplier);
    bool pickWaypoint(float x, float y, float scale, float& latOut, float& yOut, float& lonOut);
    void deleteCurrent();
    void clearPlan();
    bool moveCurrent(double lon, double y, double lat);
    bool setCurrent(double lon, double y, double lat, float speed, float depthMultiplier);

    // Recomputes every leg's swath, length and area.
    void generateSwaths(bool withTurns);

    Waypoint* first() const { return first_; }
    Waypoint* current() const { return current_; }
    Waypoint* cursor() const { return cursor_; }
    bool empty() const { return first_ == nullptr; }
    float boatSpeed() const { return boatSpeed_; }
    float depthMultiplier() const { return depthMultiplier_; }

private:
    TileStore& tiles_;
    std::ostream& out_;
    Waypoint* first_ = nullptr;
    Waypoint* current_ = nullptr;
    Waypoint* cursor_ = nullptr;
    Waypoint* anchor_ = nullptr;
    float boatSpeed_;
    float depthMultiplier_;
    float halfMultiplier_;
    float turnRadius_;
};

}  // namespace tessarin
