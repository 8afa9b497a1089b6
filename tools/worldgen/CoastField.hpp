#pragma once
// Signed distance to the nearest coast, in kilometres (positive at sea,
// negative on land), sampled on grids aligned to whole fractions of a degree
// and read back by bilinear interpolation. The distance is exact at the grid
// nodes and clamped at kMaxKm, beyond which nothing in the world depends on it.
//
// Grids are built for boxes: the node values do not depend on the box, so a
// cell generated alone matches the same cell generated with the whole world.

#include "Geography.hpp"

#include <vector>

namespace tessarin::worldgen {

struct GeoBox {
    double west;
    double east;
    double south;
    double north;
};

class CoastField {
public:
    static constexpr double kMaxKm = 350.0;

    explicit CoastField(const std::vector<Ring>& rings);

    // Samples the distance on a grid of nodesPerDegree nodes per degree over
    // the box (widened to whole nodes), using up to threads threads.
    struct Grid {
        int nodesPerDegree = 0;
        long westNode = 0;
        long southNode = 0;
        int cols = 0;
        int rows = 0;
        std::vector<float> km;  // row-major, south row first
        bool covers(double lon, double lat) const;
        double at(double lon, double lat) const;  // requires covers()
    };
    Grid sample(const GeoBox& box, int nodesPerDegree, int threads) const;

    // Exact signed distance at one point (slow; for tests and single probes).
    double exactKm(double lon, double lat) const;

private:
    struct Segment {
        double lon0, lat0, lon1, lat1;
    };
    std::vector<Segment> segments_;
    // Segments near each 2-degree bucket (within kMaxKm of it).
    std::vector<std::vector<int>> buckets_;

    double unsignedKm(double lon, double lat, const std::vector<int>& near) const;
    bool insideLand(double lon, double lat) const;
    void landCrossings(double lat, std::vector<double>& out) const;
    const std::vector<int>& bucketAt(double lon, double lat) const;
};

}  // namespace tessarin::worldgen
