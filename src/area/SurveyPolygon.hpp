#pragma once
// The one survey polygon: a closed ring of vertices with a first and a
// current vertex. Map plane: x = longitude in degrees, y = mapY(latitude)
// (not degrees); lat is latitude in degrees.
//
// The ring closes implicitly (the last vertex's edge goes back to first) and
// no vertex is repeated. The polygon owns its vertices.

#include <ostream>
#include <vector>

#include "area/PolygonVertex.hpp"

namespace tessarin {

// One stretch of a line that lies inside the polygon, from (ax, ay) to
// (bx, by) in map units, in the running direction of the line it came from.
struct InsidePiece {
    double ax = 0.0;
    double ay = 0.0;
    double bx = 0.0;
    double by = 0.0;
};

// Why nextFillLine gave no line.
enum class FillLineEnd { None, FarSide, TooShort };

class SurveyPolygon {
public:
    static constexpr int kEditCleared = 1;  // editState after clearPolygon
    static constexpr int kEditPicked = 3;   // editState after a successful pick

    SurveyPolygon(std::ostream& out, float depthMultiplier);
    ~SurveyPolygon();
    SurveyPolygon(const SurveyPolygon&) = delete;
    SurveyPolygon& operator=(const SurveyPolygon&) = delete;

    // Inserts a vertex after current and makes it current.
    void addVertex(double x, double y, double lat);
    // Selects the first vertex, in ring order from first, whose marker lies
    // within 7 / scale map units of (x, y) in both directions. scale is the
    // view's zoom factor.
    bool pickVertex(float x, float y, float scale);
    bool moveCurrentVertex(double x, double y, double lat);
    void clearPolygon();
    // Degrees, padded by 0.2 on every side; false when empty. Longitudes are
    // taken as stored, so a ring across the 180-degree meridian gets a box
    // spanning the world between its extremes.
    bool polygonBounds(double& west, double& east, double& south, double& north) const;
    bool firstVertex(double& lat, double& lon) const;
    bool currentVertex(double& lat, double& lon) const;
    void printPolygon();
    // The vertex after first becomes first, which chooses the edge the next
    // fill starts on (the fill starts over there); current is kept.
    void rotateFirstVertex();
    // Whether the map-plane point lies inside the ring (even-odd rule).
    bool contains(double x, double y) const;
    // Removes the current vertex; its predecessor becomes current (none
    // when the ring becomes empty). False when there is no current vertex.
    bool deleteCurrentVertex();
    // Replaces the ring by `ring` (heap vertices in ring order from first,
    // links unset), which the polygon takes over; current is an index into
    // it, -1 for none. The fill state is left to the caller.
    void adoptVertices(const std::vector<PolygonVertex*>& ring, int current);

    // ---- Fill geometry (map units) ----
    // Rebuilds every vertex's edge direction, normal and length, farReach
    // and fillSign (the side of the first edge into which the second turns).
    void prepareFill();
    // The next fill line before clipping: the stored fill line (the first
    // edge when lineCount is 0) moved by spacing towards the fill side, run
    // A to B on even lines and B to A on odd ones. False when the fill is
    // done: the line lies beyond the farthest vertex, or is shorter than 0.1
    // (shorter than 0.2 prints the shallow-water warning).
    bool nextFillLine(float spacing, double& x1, double& y1, double& x2, double& y2);
    // Distance of (x, y) from the line through the first two vertices; -1
    // when the polygon is empty, 0 when those two vertices coincide.
    float distanceFromFirstEdge(double x, double y);
    // The stretches of the line through (x1, y1) and (x2, y2) that lie
    // inside the ring, ordered from the (x1, y1) side to the (x2, y2) side.
    // Every edge is tested, so a concave ring can give several; a line that
    // only touches the ring gives none.
    std::vector<InsidePiece> insidePieces(double x1, double y1, double x2, double y2) const;
    // The outermost crossings of the line through (x1, y1) and (x2, y2) with
    // the ring: p on the side of the first vertex (along the first edge), q
    // on the side of the second. False when the line does not cross it.
    bool clipLineToPolygon(double x1, double x2, double y1, double y2, double& px, double& qx, double& py,
                           double& qy);
    // Stores a clipped line as the fill line; stop (and true) when an end
    // lies beyond the farthest vertex.
    bool setFillLine(double ax, double bx, double ay, double by, bool& stop);

    PolygonVertex* first() const { return first_; }
    PolygonVertex* current() const { return current_; }
    int vertexCount() const;
    bool empty() const { return first_ == nullptr; }

    std::ostream& out() { return out_; }
    float depthMultiplier() const { return depthMultiplier_; }

    // Fill state, kept between fills.
    int lineCount = 0;        // fill lines since the last pick, move, clear, Tab or finished fill
    FillLineEnd fillLineEnd = FillLineEnd::None;  // why the last nextFillLine gave no line
    double fillSign = -1.0;   // side of the first edge the fill advances to
    float farReach = 0.0f;    // farthest vertex from the first edge's line, map units
    int editState = 0;        // kEditCleared or kEditPicked once either happened
    int edgeCount = 0;        // edges prepared by fills; never reset
    // The moving fill line, ends A and B in map units.
    double fillAx = 0.0;
    double fillAy = 0.0;
    double fillBx = 0.0;
    double fillBy = 0.0;

private:
    std::ostream& out_;
    PolygonVertex* first_ = nullptr;
    PolygonVertex* current_ = nullptr;
    float depthMultiplier_;
};

}  // namespace tessarin
