#pragma once
// The 8-degree tile grid, its ring of 24 resident data tiles, the depth and
// coverage lookups, and the picture, coverage and overview textures.
// Cells: latIdx 0..23 (south edge 8 * latIdx - 96), lonIdx 0..44 (west edge
// 8 * lonIdx - 180). Longitudes and latitudes are degrees; elevations metres,
// negative below sea level.

#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "earth/DepthTile.hpp"
#include "earth/ProgressSink.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TilePrefetch.hpp"

namespace tessarin {

struct TileRecord {
    float lat0 = 0.0f;            // south edge, degrees
    float lon0 = 0.0f;            // west edge, degrees
    int slot = 0;                 // ring slot of the last load attempt
    bool loaded = false;          // the data tile is resident
    bool missing = false;         // the data tile was found missing this session
    std::unique_ptr<DepthTile> tile;
};

struct RingEntry {
    int latIdx = -1;
    int lonIdx = -1;
};

class TileStore {
public:
    static constexpr int kLatCells = 24;
    static constexpr int kLonCells = 45;
    static constexpr int kRingSize = 24;
    static constexpr int kTileTextureNames = 50;
    static constexpr int kOverviewTextureNames = 20;

    // root is prepended to every tile path ("" = the working directory; a
    // non-empty root ends with '/'). Generates the 50 tile texture names.
    TileStore(std::ostream& out, TextureSink& sink, std::string root = "");
    ~TileStore();

    // Elevation in metres at (lon, lat) degrees; loads the cell's tile when
    // needed. False, with elevation 5.0, when no data tile answers.
    // Long operations make millions of these calls, nearly all on resident
    // tiles: that case is answered here, inline; the rest goes the long way.
    bool getDepth(double lon, double lat, float& elevation) {
        int la = 0, lo = 0;
        if (lat < 66.0 && cellOf(lon, lat, la, lo)) {
            const TileRecord& rec = record(la, lo);
            if (rec.loaded && rec.tile) {
                elevation = rec.tile->elevationInCell(lon, lat);
                return true;
            }
        }
        return getDepthLoading(lon, lat, elevation);
    }

    // getDepth for a reader that must leave the store as it is, such as a
    // worker thread: resident cells and cells known to have no data tile
    // answer exactly as getDepth does; a cell getDepth would try to load
    // answers NeedsLoad (elevation 5.0) and is not touched.
    enum class Peek { Found, NoData, NeedsLoad };
    Peek peekDepth(double lon, double lat, float& elevation) const {
        int la = 0, lo = 0;
        if (lat < 66.0 && cellOf(lon, lat, la, lo)) {
            const TileRecord& rec = record(la, lo);
            if (rec.loaded && rec.tile) {
                elevation = rec.tile->elevationInCell(lon, lat);
                return Peek::Found;
            }
            if (!rec.loaded && !rec.missing) {
                elevation = 5.0f;
                return Peek::NeedsLoad;
            }
        }
        elevation = 5.0f;
        return Peek::NoData;
    }

    // Makes the cell resident if it is not.
    void ensureTile(int latIdx, int lonIdx);

    // Builds the picture texture of a ring slot from the cell's picture tile.
    bool loadTileImage(float lat0, float lon0, int slot);

    // The ten 72-degree overview pictures (start-up).
    void loadOverviewTiles();

    // Coverage byte at (lon, lat); false (value untouched) when the cell is
    // not resident. Never loads a tile.
    bool getCoverage(double lon, double lat, std::uint16_t& value) const {
        int la = 0, lo = 0;
        if (!cellOf(lon, lat, la, lo)) return false;
        const TileRecord& rec = record(la, lo);
        if (!rec.loaded || !rec.tile) return false;
        value = rec.tile->coverageInCell(lon, lat);
        return true;
    }

    // Uploads the cell's coverage grid to its slot's coverage texture.
    bool buildCoverageTexture(int latIdx, int lonIdx);

    // Preloads tiles along a great circle given as map-plane points
    // (arcLon degrees, arcY map units). False when not ready or when a lookup
    // finds no data. progress, when given, counts the tiles read of those
    // that were not resident.
    bool loadTilesOnArc(const double* arcLon, const double* arcY, int count, bool ready,
                        ProgressSink* progress = nullptr);

    // Preloads tiles along the straight corridor between two points (degrees).
    void loadTilesAlongLine(float lat1, float lon1, float lat2, float lon2);

    // Drops every resident tile.
    void releaseAllTiles();

    // Threads that decode tile files beside the loading thread (default: one
    // per core). 0 decodes each cell on the loading thread when it is
    // reached, one file after the other, nothing ahead; loads give the same
    // lines, ring and textures either way.
    void setDecodeWorkers(int workers);
    // Cells decoded (data and picture) since the last setDecodeWorkers: a
    // preload decodes each cell it loads once.
    int cellDecodes() const { return prefetch_ ? prefetch_->decodesStarted() : 0; }

    // When loads decode the pictures (default AfterData): with the data, the
    // picture uploaded as the cell is installed; or after it, a cell being
    // installed as soon as its data is read, and its picture decoded and
    // uploaded by uploadReadyPictures. The load lines are the same either
    // way, save for a picture that proves unreadable past its header: its
    // failure lines come when uploadReadyPictures finds it out. Until then
    // the cell's pictureLoaded is false, as for a cell without a picture.
    void setPictureLoad(PictureLoad mode);
    PictureLoad pictureLoad() const { return pictureLoad_; }
    // Starts the decodes of deferred pictures (as many at a time as there are
    // decode workers; with none, decodes one here), uploads those decoded
    // whose cells are still resident in their slots and prints the failure
    // lines of those that cannot be shown. Calls the texture sink: the GL
    // thread's frame loop calls it. Returns the pictures uploaded.
    int uploadReadyPictures();
    // uploadReadyPictures until no picture is pending, waiting for the
    // decodes (tools and tests that show the pictures at once).
    void uploadAllPictures();
    // Deferred pictures of resident cells not yet uploaded or found unusable.
    int picturesPending() const;

    // Cell indices of a position, with the lookup's arithmetic; false outside
    // the grid.
    static bool cellOf(double lon, double lat, int& latIdx, int& lonIdx) {
        // The first test also rejects NaN; the second keeps the int
        // conversion defined for absurd longitudes, which are outside the
        // grid anyway.
        if (!(lat >= -96.0) || !(std::fabs(lon) < 1.0e6) || lat >= 1.0e6) return false;
        const int la = static_cast<int>(lat + 96.0) / 8;
        int lo = static_cast<int>(lon + 180.0 + 360.0) / 8;
        if (lo >= kLonCells) lo -= kLonCells;
        if (lo > kLonCells - 1) lo -= kLonCells;
        if (lo < 0 || lo > kLonCells - 1 || la < 0 || la > kLatCells - 1) return false;
        latIdx = la;
        lonIdx = lo;
        return true;
    }

    TileRecord& record(int latIdx, int lonIdx) { return records_[latIdx * kLonCells + lonIdx]; }
    const TileRecord& record(int latIdx, int lonIdx) const { return records_[latIdx * kLonCells + lonIdx]; }
    // The resident tile holding (lon, lat), or null. Never loads.
    DepthTile* residentTile(double lon, double lat);

    int loadCounter() const { return loadCounter_; }
    const RingEntry& ringEntry(int slot) const { return ring_[slot]; }
    int residentCount() const;

    unsigned pictureTexture(int slot) const { return tileTextures_[slot]; }
    // Whether the slot's picture texture holds the picture of the tile that
    // is resident in it (false when that cell has no picture file).
    bool pictureLoaded(int slot) const { return slot >= 0 && slot < kRingSize && pictureLoaded_[slot]; }
    unsigned coverageTexture(int slot) const { return tileTextures_[24 + slot]; }
    // Overview picture k = 1..10 (see loadOverviewTiles for the blocks).
    unsigned overviewTexture(int k) const { return overviewTextures_[k]; }
    bool overviewLoaded(int k) const { return overviewLoaded_[k]; }

    std::ostream& out() { return out_; }
    const std::string& root() const { return root_; }

private:
    // getDepth for a cell that is not resident: loads it if it can be.
    bool getDepthLoading(double lon, double lat, float& elevation);

    void uploadPicture(int slot, const TilePicture& picture);
    // A resident cell's picture still to be decoded and uploaded.
    struct PendingPicture {
        CellIndex cell;  // {-1, -1}: none
        TilePicture header;
        std::shared_ptr<TilePicture> decoded;
        DecodePool::JobHandle job;
    };
    void dropPendingPicture(int slot);
    TilePrefetch& prefetch();
    // The cells, in order, that ensureTile will read when called for each of
    // visits in turn (a cell {-1, -1} is a lookup that finds no data), as far
    // as the files present tell. stopWithoutData: the caller stops at the
    // first visit that finds no data tile.
    std::vector<CellIndex> plannedLoads(const std::vector<CellIndex>& visits, bool stopWithoutData) const;

    std::ostream& out_;
    TextureSink& sink_;
    std::string root_;
    std::vector<TileRecord> records_;
    RingEntry ring_[kRingSize];
    int loadCounter_ = 0;
    unsigned tileTextures_[kTileTextureNames] = {};
    unsigned overviewTextures_[kOverviewTextureNames] = {};
    bool overviewLoaded_[kOverviewTextureNames] = {};
    bool pictureLoaded_[kRingSize] = {};
    PictureLoad pictureLoad_ = PictureLoad::AfterData;
    PendingPicture pendingPictures_[kRingSize];
    std::vector<std::uint8_t> coverageStaging_;  // 2048 x 2048
    std::vector<std::uint8_t> rgbaStaging_;      // 2048 x 2048 x 4
    int decodeWorkers_ = -1;                     // -1: one per core
    // Last, and so destroyed first: its threads end before the store's state.
    std::unique_ptr<TilePrefetch> prefetch_;
};

// A depth probe for worker threads: peekDepth with a count of the lookups,
// and a stop once a probe finds a cell that would need loading (the caller
// then scores that candidate again on the loading thread).
struct PeekingDepth {
    const TileStore& tiles;
    std::uint64_t lookups = 0;
    bool needsLoad = false;
    float operator()(double lon, double lat) {
        ++lookups;
        float elevation = 5.0f;
        if (tiles.peekDepth(lon, lat, elevation) == TileStore::Peek::NeedsLoad) needsLoad = true;
        return elevation;
    }
    bool stopped() const { return needsLoad; }
};

}  // namespace tessarin
