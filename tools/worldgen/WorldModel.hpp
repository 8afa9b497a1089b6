#pragma once
// The generated world: elevation in metres (negative below sea level) at any
// longitude and latitude in degrees, as a pure function of the seed.
//
// Shapes, from large to small: land rings give a signed distance to the
// coast (CoastField); the sea floor deepens off the coast over a shelf, a
// slope and a rise to a depth set by the age of the plate (its distance from
// the spreading ridge); fracture zones, a trench and the island-chain swell
// are added along their axes; volcanoes (named ones and a seeded scatter of
// seamounts) stand on top; abyssal hills, canyons and a ragged shore add the
// texture. In the sample region the land rings follow the real shorelines
// (data/shores), and nothing generated moves the coast off them: the
// roughening never turns sea into land or land into sea, and island volcanoes
// drop below the sea at the coast. Noise coordinates are kilometres (longitude and latitude times
// 111.2), so the texture is continuous across tile edges.

#include "CoastField.hpp"
#include "Geography.hpp"

#include <cstdint>
#include <vector>

namespace tessarin::worldgen {

// How much detail an evaluation needs: noise shorter than minWavelengthKm is
// left out (a tile pixel is about 0.46 km, an overview pixel about 4 km);
// fineCoast reads the coast grid of 30 nodes per degree where it exists.
struct Detail {
    double minWavelengthKm = 0.9;
    bool fineCoast = true;
    // Uses the exact coast distance, independent of which grids exist: for
    // the few thousand probes (ship tracks) that must come out the same
    // whatever part of the world a run writes.
    bool exactCoast = false;
};

class WorldModel {
public:
    explicit WorldModel(std::uint32_t seed);

    // Builds the coast grids: a fine one over fineBox (the tiles to be
    // written plus a margin) and, when wanted, a coarse one over the globe for
    // the overview pictures. Must run before any elevation is asked for.
    void prepare(const GeoBox* fineBox, bool globalCoarse, int threads);

    double elevationM(double lon, double lat, const Detail& detail) const;

    // Signed distance to the coast in km (positive at sea) as the elevation
    // uses it, before the shore is roughened.
    double coastKm(double lon, double lat, bool fine) const;

    std::uint32_t seed() const { return seed_; }
    const CoastField& coast() const { return coast_; }

private:
    struct Cone {
        double lon, lat;
        double radiusKm;
        double cosB, sinB;  // bearing of the long axis
        double aspect;
        double reliefM;     // summit above the floor under its centre
        bool flatTop;
        // An island volcano: its centre is on land. Its flanks stay below
        // the sea off the coast, so the shore is where the coastline says;
        // floorM is the abyssal floor it stands on.
        bool island;
        double floorM;
    };
    // Heights of the cones at a point above their floors: the highest island
    // volcano and the highest of the others.
    struct ConeHeights {
        double island = 0.0;
        double islandTopM = -1e9;  // floor plus height of the highest island cone
        double other = 0.0;
    };

    std::uint32_t seed_;
    CoastField coast_;
    CoastField::Grid fine_;
    CoastField::Grid coarse_;
    bool hasFine_ = false;
    bool hasCoarse_ = false;
    std::vector<Cone> cones_;
    std::vector<std::vector<int>> coneCells_;  // 1-degree cells -> cones

    double plateDepthM(double lon, double lat) const;
    double swellM(double lon, double lat) const;
    double baseSeaFloorM(double lon, double lat, double seaKm, const Detail& d) const;
    double landM(double lon, double lat, double inlandKm, const Detail& d) const;
    ConeHeights conesM(double lon, double lat, const Detail& d) const;
    void addCone(double lon, double lat, double summitM, double radiusKm, double aspect,
                 double bearingDeg, bool flatTop, bool named);
};

}  // namespace tessarin::worldgen
