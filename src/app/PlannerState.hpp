#pragma once
// The one planner object. It owns the components (tile store, survey plan,
// survey polygon, coverage buffers, transit state) and forwards to them; each
// operation's logic lives in the component whose data it uses.
// Map-plane x is longitude in degrees; map-plane y is mapY(latitude).

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "plan/Configuration.hpp"
#include "earth/ConsoleProgress.hpp"
#include "earth/MapProjection.hpp"
#include "earth/ProgressSink.hpp"
#include "earth/TileStore.hpp"

namespace tessarin {

struct DesignLayout;

class CoverageGrid;
class EditHistory;
class SurveyPlan;
class SurveyPolygon;
class TransitPlanner;
struct Waypoint;

class PlannerState {
public:
    static constexpr int kHoldPoint = 10;  // editHold: a point is held
    static constexpr int kHoldNone = 9;    // editHold: the last pick missed

    // root is prepended to config.txt, the extinction table and the tile
    // folders ("" = the working directory; otherwise it ends with '/').
    PlannerState(std::ostream& out, TextureSink& sink, std::string root = "");
    ~PlannerState();
    PlannerState(const PlannerState&) = delete;
    PlannerState& operator=(const PlannerState&) = delete;

    // Map-plane functions.
    static double mapY(double latDeg) { return tessarin::mapY(latDeg); }
    static double latitudeFromMapY(double y) { return tessarin::latitudeFromMapY(y); }

    bool getDepth(double lon, double lat, float& elevation) { return tiles.getDepth(lon, lat, elevation); }
    bool getCoverage(double lon, double lat, std::uint16_t& value) const { return tiles.getCoverage(lon, lat, value); }

    // Plan editing.
    void addWaypointAt(float x, float y);
    void addStartWaypointAt(bool atStart, float x, float y);
    bool setWaypoint(double lat, double lon, float speed, float depthMultiplier);
    // Carries out edit action 1..7 at map-plane (x, y) and latitude lat.
    // Picks write the picked point back into x, y and lat.
    bool editAction(int action, double& x, double& y, double& lat, float scale);
    // Called when the mouse button is released after an edit.
    void finishEdit(int action);

    // ---- Edit history ----
    // Every method that changes the plan or the polygon starts with
    // beginEdit(label), before it changes anything: the plan and polygon as
    // they are then become one undo step (dropped again if the method
    // changes nothing). Coverage is not part of the history.
    void beginEdit(const char* label);
    // The moves of one drag make one step: successive calls with the same
    // label merge until finishEdit or any other beginEdit.
    void beginMergedEdit(const char* label);
    // Put back the plan and polygon before the last change / the change
    // last undone; false when there is none. Both print a console line.
    bool undo();
    bool redo();
    EditHistory& history() { return *history_; }

    // "Delete Track": the plan goes, the polygon stays.
    void deleteTrack();
    // "Delete Plan": plan and polygon (and the polygon's coverage marks).
    void deletePlan();
    // "Delete Polygon": the polygon and its coverage marks.
    void deletePolygon();
    // Tab: the vertex after the first becomes the first.
    void rotatePolygon();
    // Deletes the polygon's current vertex; false when there is none.
    bool deletePolygonVertex();
    // Deletes the plan's current waypoint whether or not a pick holds it
    // (the point editor shows it); false when the plan is empty.
    bool deleteCurrentWaypoint();

    // The line list's edits on leg (0-based, sailing order), one user change
    // each: the swaths are regenerated once, with turns. False, with the
    // plan unchanged, when there is no such leg (or target place).
    bool reverseLeg(int leg);
    bool moveLeg(int leg, int to);
    bool deleteLeg(int leg);
    // Makes the leg's first waypoint current and highlights it.
    bool selectLeg(int leg);

    // Transits (the start and end come from the last picked point).
    void setTransitStart();
    void setTransitEnd();
    void setDemoTransit(float lat1, float lon1, float lat2, float lon2);
    void computeGreatCircle();
    bool loadTilesOnArc();
    void loadTilesAlongLine();
    void planTransit(bool legMode, bool abut);
    // Writes Transits.csv (under the root).
    void writeTransitBenchmark();
    void reportPathOverlap();
    float legAbutFraction(const Waypoint& leg);

    // Plan files: <path>.csv with LL_<name>.csv beside it, and <path>.cvt.
    bool savePlanFiles(const std::string& path);
    // Adds the waypoints of a plan file and regenerates the swaths with turns
    // (unless the file cannot be opened); false (and the mean untouched) when
    // nothing was loaded.
    bool loadPlanFile(const std::string& path, float& meanLat, float& meanLon);

    // Polygon files and shapefiles.
    bool loadPolygonFile(const std::string& path);
    bool savePolygonFile(const std::string& path);
    void updatePolygonVertex(double lat, double lon);
    bool importShapefile(const std::string& path);
    // Replaces the polygon with polygon `number` (1-based) of a GIS vector
    // file, reprojected to WGS 84; what was read, or why nothing changed,
    // goes to report. False (polygon untouched) when nothing was imported.
    bool importArea(const std::string& path, int number, std::ostream& report);

    // Coverage fits, the fill and the edge check.
    // "LINE OVERLAP": refits the current leg against coverage at edge_overlap.
    void fitCurrentLine();
    // Fills the polygon with survey lines, appended to the plan; extra also
    // fits each line against coverage and captures its swath.
    void fillPolygon(bool extra);
    // "Apply" of the survey design window: the layout's lines after the
    // plan's last waypoint, at the configured speed and multiplier, as one
    // undo step; false (and no step) when it holds no line.
    bool applyDesign(const DesignLayout& layout);
    // Prints the side and edge-overlap score of the plan's first leg.
    void checkEdgeOverlap();

    // Plan statistics (the frame runs them when asked) and the report that
    // "Save plan as..." writes before the plan files, with statistics
    // computed for it; a report that cannot be written is reported and
    // stops nothing.
    void computePlanStatistics();
    bool writeReport(const std::string& path);

    std::ostream& out() { return out_; }
    const std::string& root() const { return root_; }

    // Where long operations report progress: standard error unless the
    // shell installs the bar over the map (null restores standard error).
    ProgressSink& progress() { return *progress_; }
    void setProgress(ProgressSink* sink) { progress_ = sink ? sink : &consoleProgress_; }

private:
    void regenerateAfterListEdit();

    std::ostream& out_;
    std::string root_;
    ConsoleProgress consoleProgress_;
    ProgressSink* progress_ = &consoleProgress_;
    std::unique_ptr<EditHistory> history_;

public:
    Configuration config;
    TileStore tiles;
    MapYTable mapYTable;
    std::unique_ptr<SurveyPlan> plan;
    std::unique_ptr<SurveyPolygon> polygon;
    // Plan marks in the coverage bytes and fine sub-grids, capture buffer.
    std::unique_ptr<CoverageGrid> coverage;

    int editHold = kHoldNone;
    float pickLat = 0.0f;
    float pickY = 0.0f;
    float pickLon = 0.0f;

    // Transit end points, great circle and transit planning.
    std::unique_ptr<TransitPlanner> transit;

    int windowWidth = 1900;
    int windowHeight = 950;
};

}  // namespace tessarin
