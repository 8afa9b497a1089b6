#pragma once
// Where the coverage fits read coverage: the coarse coverage byte of the
// resident tiles (240 cells a degree) or the fine sub-grids (960 a degree).
// Positions are longitude and latitude in degrees. A lookup never loads a
// tile; tests substitute their own to see where the fits probe.

#include <cstdint>

#include "coverage/CoverageGrid.hpp"
#include "earth/TileStore.hpp"

namespace tessarin {

class CoverageLookup {
public:
    virtual ~CoverageLookup() = default;
    // False, value untouched, where the cell's tile is not resident.
    virtual bool coarse(double lon, double lat, std::uint16_t& value) const = 0;
    // False, value untouched, where the cell's tile is not resident.
    virtual bool fine(double lon, double lat, std::uint16_t& value) const = 0;

    // Whether lookups may run on several threads at once; a lookup that
    // records its probes may not.
    virtual bool concurrentReads() const { return false; }

    // The tile store whose getCoverage coarse() is, or null: the searches
    // then read the store themselves, inline, the same answers without a
    // virtual call for each of their millions of probes.
    virtual const TileStore* coarseStore() const { return nullptr; }

    // The value read, 0 where nothing can be read: an unreadable cell is
    // treated as holding no coverage.
    std::uint16_t valueAt(double lon, double lat, bool useFine) const {
        std::uint16_t v = 0;
        const bool ok = useFine ? fine(lon, lat, v) : coarse(lon, lat, v);
        return ok ? v : std::uint16_t{0};
    }
};

// valueAt(lon, lat, false) of a lookup, read from its coarseStore when it
// has one.
class CoarseReader {
public:
    explicit CoarseReader(const CoverageLookup& lookup) : lookup_(lookup), store_(lookup.coarseStore()) {}
    std::uint16_t valueAt(double lon, double lat) const {
        if (!store_) return lookup_.valueAt(lon, lat, false);
        std::uint16_t v = 0;
        return store_->getCoverage(lon, lat, v) ? v : std::uint16_t{0};
    }

private:
    const CoverageLookup& lookup_;
    const TileStore* store_;
};

// The planner's grids: coverage bytes from the tile store, fine cells from
// the coverage grid.
class GridCoverageLookup : public CoverageLookup {
public:
    GridCoverageLookup(const TileStore& tiles, const CoverageGrid& grid) : tiles_(tiles), grid_(grid) {}
    bool coarse(double lon, double lat, std::uint16_t& value) const override {
        return tiles_.getCoverage(lon, lat, value);
    }
    bool fine(double lon, double lat, std::uint16_t& value) const override {
        return grid_.fineCoverageAt(lon, lat, value);
    }
    bool concurrentReads() const override { return true; }
    const TileStore* coarseStore() const override { return &tiles_; }

private:
    const TileStore& tiles_;
    const CoverageGrid& grid_;
};

}  // namespace tessarin
