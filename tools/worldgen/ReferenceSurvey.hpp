#pragma once
// Where the reference data set counts the sea floor as mapped by multibeam:
// swaths along ship tracks between harbours (as wide as about three to five
// times the depth under them, with gaps where the echosounder was off), a few
// surveyed blocks, and everything else unmapped. Tracks and blocks are laid
// out once per world; each tile then rasterises the parts that touch it.

#include "Geography.hpp"
#include "WorldModel.hpp"

#include <cstdint>
#include <vector>

namespace tessarin::worldgen {

class ReferenceSurvey {
public:
    // Lays out the tracks (probing the world's depth along them) with up to
    // threads threads.
    ReferenceSurvey(const WorldModel& world, int threads);

    // Sets mask[row * 1920 + col] to 1 for every surveyed pixel of the cell
    // with south-west corner (lon0, lat0). elevation holds the cell's 1920 x
    // 1920 pixel elevations (row 0 north); land and very shallow water are
    // never marked.
    void markCell(int lon0, int lat0, const std::vector<float>& elevation, std::vector<std::uint8_t>& mask) const;

    std::size_t swathPieces() const { return quads_.size(); }

private:
    struct Quad {
        GeoPoint corner[4];
        double west, east, south, north;
    };
    struct Block {
        GeoPoint centre;
        double halfAlongKm, halfAcrossKm;
        double cosB, sinB;
        double west, east, south, north;
    };
    std::uint32_t seed_;
    std::vector<Quad> quads_;
    std::vector<Block> blocks_;

    void addBlock(double lon, double lat, double halfAlongKm, double halfAcrossKm, double bearingDeg);
    bool insideBlock(const Block& b, double lon, double lat) const;
};

}  // namespace tessarin::worldgen
