#include "earth/TileStore.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "earth/InputPath.hpp"
#include "earth/MapProjection.hpp"
#include "earth/PngDecoder.hpp"

// Degrees throughout: lon east-positive, lat north-positive. Cells are 8
// degrees square: latIdx 0..23 from -96, lonIdx 0..44 from -180.

namespace tessarin {
namespace {

constexpr int kTexRows = 2048;
constexpr int kWideTex = 2048;
constexpr int kNarrowTex = 1024;
constexpr int kOverviewSize = 1920;
constexpr std::uint8_t kCoverageFill = 180;
constexpr std::uint8_t kOverviewFill = 180;

std::string overviewFileName(const std::string& root, int lon0, int lat0) {
    char name[64];
    std::snprintf(name, sizeof name, "GlobeTiles/BI72_%d_%d_1920.png", lon0, lat0);
    return root + name;
}

// A plan of decodes that lasts as long as the preload loop it serves: the
// decodes the loop did not take are dropped however it ends.
class PlanScope {
public:
    PlanScope(TilePrefetch& prefetch, const std::vector<CellIndex>& cells) : prefetch_(prefetch) {
        prefetch_.plan(cells);
    }
    ~PlanScope() { prefetch_.drop(); }
    PlanScope(const PlanScope&) = delete;
    PlanScope& operator=(const PlanScope&) = delete;

private:
    TilePrefetch& prefetch_;
};

// Appends a visit unless it repeats the last one: a repeated ensureTile of
// the same cell finds it resident or missing and does nothing.
void addVisit(std::vector<CellIndex>& visits, CellIndex cell) {
    if (visits.empty() || visits.back() != cell) visits.push_back(cell);
}

}  // namespace

TileStore::TileStore(std::ostream& out, TextureSink& sink, std::string root)
    : out_(out), sink_(sink), root_(std::move(root)), records_(kLatCells * kLonCells),
      coverageStaging_(static_cast<std::size_t>(kWideTex) * kTexRows),
      rgbaStaging_(static_cast<std::size_t>(kWideTex) * kTexRows * 4) {
    for (int la = 0; la < kLatCells; ++la) {
        for (int lo = 0; lo < kLonCells; ++lo) {
            TileRecord& rec = record(la, lo);
            rec.lat0 = static_cast<float>(8 * la - 96);
            rec.lon0 = static_cast<float>(8 * lo - 180);
        }
    }
    sink_.generateNames(tileTextures_, kTileTextureNames);
}

TileStore::~TileStore() = default;

void TileStore::setDecodeWorkers(int workers) {
    decodeWorkers_ = std::max(workers, 0);
    // The pool goes with its jobs: pending pictures are decoded again by the
    // next one.
    for (PendingPicture& p : pendingPictures_) p.job = nullptr, p.decoded = nullptr;
    prefetch_.reset();
}

void TileStore::setPictureLoad(PictureLoad mode) {
    if (mode == pictureLoad_) return;
    pictureLoad_ = mode;
    for (PendingPicture& p : pendingPictures_) p.job = nullptr, p.decoded = nullptr;
    prefetch_.reset();
}

void TileStore::dropPendingPicture(int slot) {
    PendingPicture& p = pendingPictures_[slot];
    if (p.job && prefetch_) prefetch_->cancel(p.job);
    // A decode already running finishes into its own buffer, which goes
    // with the last reference to it.
    p = PendingPicture{};
}

int TileStore::picturesPending() const {
    return static_cast<int>(std::count_if(std::begin(pendingPictures_), std::end(pendingPictures_),
                                          [](const PendingPicture& p) { return p.cell.latIdx >= 0; }));
}

void TileStore::uploadAllPictures() {
    while (picturesPending() > 0) {
        uploadReadyPictures();
        for (const PendingPicture& p : pendingPictures_)
            if (p.job) prefetch().wait(p.job);
    }
}

int TileStore::uploadReadyPictures() {
    if (picturesPending() == 0) return 0;
    TilePrefetch& decodes = prefetch();
    const int most = std::max(1, decodes.workers());
    int running = 0;
    for (const PendingPicture& p : pendingPictures_)
        if (p.job && !decodes.finished(p.job)) ++running;
    // Slots in load order, oldest first: the decodes start, and the
    // pictures come in (with any failure lines), in the order their cells
    // did, so the console reads the same however the decodes are timed.
    auto inLoadOrder = [&](auto&& visit) {
        for (int k = 0; k < kRingSize; ++k) {
            const int slot = (loadCounter_ + k) % kRingSize;
            if (pendingPictures_[slot].cell.latIdx >= 0 && !visit(slot, pendingPictures_[slot])) return;
        }
    };
    inLoadOrder([&](int, PendingPicture& p) {
        if (p.job) return true;
        if (running >= most) return false;
        const TileRecord& rec = record(p.cell.latIdx, p.cell.lonIdx);
        p.decoded = std::make_shared<TilePicture>();
        p.job = decodes.decodePicture(p.decoded, rec.lat0, rec.lon0);
        ++running;
        return true;
    });
    int uploads = 0;
    inLoadOrder([&](int slot, PendingPicture& p) {
        // Without workers the frame loop decodes one picture per call.
        if (decodes.workers() == 0) decodes.wait(p.job);
        if (!p.job || !decodes.finished(p.job)) return false;
        TilePicture picture = std::move(*p.decoded);
        // A decode that ended without a result (out of memory) counts as an
        // unreadable file.
        if (picture.name.empty()) {
            picture = p.header;
            picture.status = TilePicture::Status::Unreadable;
        }
        p = PendingPicture{};
        if (picture.reportFailure(out_)) {
            uploadPicture(slot, picture);
            ++uploads;
        }
        return decodes.workers() > 0;
    });
    return uploads;
}

TilePrefetch& TileStore::prefetch() {
    // Made on the first load: a store that never loads a tile starts no thread.
    if (!prefetch_)
        prefetch_ = std::make_unique<TilePrefetch>(
            root_, decodeWorkers_ < 0 ? DecodePool::defaultWorkers() : decodeWorkers_, pictureLoad_);
    return *prefetch_;
}

bool TileStore::getDepthLoading(double lon, double lat, float& elevation) {
    elevation = 5.0f;
    if (lat >= 66.0) return false;
    int la = 0, lo = 0;
    if (!cellOf(lon, lat, la, lo)) return false;
    ensureTile(la, lo);
    const TileRecord& rec = record(la, lo);
    if (!rec.loaded || !rec.tile) return false;
    elevation = rec.tile->elevationAt(lon, lat);
    return true;
}

void TileStore::ensureTile(int latIdx, int lonIdx) {
    if (lonIdx < 0 || lonIdx > kLonCells - 1 || latIdx < 0 || latIdx > kLatCells - 1) return;
    TileRecord& rec = record(latIdx, lonIdx);
    // A resident tile is answered as it is, and a cell already found without
    // a data tile is not tried again: neither may cost another tile its place
    // in the ring, or a lookup loop over two cells would reload tiles forever.
    if (rec.loaded || rec.missing) return;

    const int slot = loadCounter_ % kRingSize;
    CellDecode cell = prefetch().take(latIdx, lonIdx);
    // The picture's lines come first, as they always have, but the picture is
    // shown only once the data tile has been read: the slot's texture still
    // belongs to the tile that a failed load leaves resident.
    const bool picture = cell.picture.report(out_, slot);

    rec.slot = slot;
    auto tile = std::make_unique<DepthTile>(rec.lon0, rec.lat0, 8.0, slot);
    if (!tile->install(std::move(cell.data), out_)) {
        rec.missing = true;
        return;
    }
    // The slot changes hands: a picture still coming for the tile that held
    // it is not wanted any more.
    dropPendingPicture(slot);

    // Only now that a tile is really coming in does the oldest one go.
    if (loadCounter_ >= kRingSize) {
        const RingEntry oldest = ring_[slot];
        if (oldest.latIdx >= 0 && oldest.lonIdx >= 0) {
            TileRecord& old = record(oldest.latIdx, oldest.lonIdx);
            if (old.loaded && old.tile && old.tile->slot == slot) {
                old.tile->release();
                old.tile.reset();
                old.loaded = false;
            }
        }
    }

    if (picture && cell.picture.deferred) {
        pendingPictures_[slot].cell = CellIndex{latIdx, lonIdx};
        pendingPictures_[slot].header = std::move(cell.picture);
        pictureLoaded_[slot] = false;
    } else {
        if (picture) uploadPicture(slot, cell.picture);
        pictureLoaded_[slot] = picture;
    }
    rec.tile = std::move(tile);
    rec.loaded = true;
    ring_[slot] = RingEntry{latIdx, lonIdx};
    buildCoverageTexture(latIdx, lonIdx);
    ++loadCounter_;
}

void TileStore::uploadPicture(int slot, const TilePicture& picture) {
    sink_.upload(tileTextures_[slot], picture.texWidth, kTexRows, 3, picture.texels.data(), TextureEnv::Replace);
    pictureLoaded_[slot] = true;
}

bool TileStore::loadTileImage(float lat0, float lon0, int slot) {
    if (slot < 0 || slot >= kRingSize) return false;
    const TilePicture picture = TilePicture::decode(root_, lat0, lon0);
    // The slot now shows this picture, not one still coming.
    dropPendingPicture(slot);
    if (!picture.report(out_, slot)) return false;
    uploadPicture(slot, picture);
    return true;
}

void TileStore::loadOverviewTiles() {
    struct Block {
        int lon0, lat0, name;
    };
    static constexpr Block kBlocks[10] = {
        {-180, 0, 1},   {-108, 0, 2},   {-36, 0, 3},   {36, 0, 4},   {108, 0, 5},
        {-180, -72, 6}, {-108, -72, 7}, {-36, -72, 8}, {36, -72, 9}, {108, -72, 10},
    };
    sink_.generateNames(overviewTextures_, kOverviewTextureNames);

    for (const Block& b : kBlocks) {
        const std::string name = overviewFileName(root_, b.lon0, b.lat0);
        out_ << name << "\n";
        const DecodedImage image = decodePng(name);
        if (image.empty()) continue;
        out_ << "SIZE " << image.width << " " << image.height << "\n";
        if (image.width < kOverviewSize || image.height < kOverviewSize) continue;

        std::fill(rgbaStaging_.begin(), rgbaStaging_.end(), kOverviewFill);
        for (int r = 0; r < kOverviewSize; ++r) {
            const std::uint8_t* src = image.rgba.data() + static_cast<std::size_t>(r) * image.width * 4;
            std::uint8_t* dst = rgbaStaging_.data() + static_cast<std::size_t>(r) * kWideTex * 4;
            for (int c = 0; c < kOverviewSize; ++c, src += 4, dst += 4) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                dst[3] = 255;
            }
            dst[0] = dst[1] = dst[2] = dst[3] = 255;
        }
        sink_.upload(overviewTextures_[b.name], kWideTex, kTexRows, 4, rgbaStaging_.data(), TextureEnv::Modulate);
        overviewLoaded_[b.name] = true;
    }
}

DepthTile* TileStore::residentTile(double lon, double lat) {
    int la = 0, lo = 0;
    if (!cellOf(lon, lat, la, lo)) return nullptr;
    TileRecord& rec = record(la, lo);
    return rec.loaded ? rec.tile.get() : nullptr;
}

int TileStore::residentCount() const {
    return static_cast<int>(std::count_if(records_.begin(), records_.end(),
                                          [](const TileRecord& r) { return r.loaded; }));
}

bool TileStore::buildCoverageTexture(int latIdx, int lonIdx) {
    if (lonIdx < 0 || lonIdx > kLonCells - 1 || latIdx < 0 || latIdx > kLatCells - 1) return false;
    const TileRecord& rec = record(latIdx, lonIdx);
    if (!rec.loaded || !rec.tile) return false;
    // Whoever asks for the texture has changed the coverage: the dots drawn
    // from it are remade too.
    rec.tile->coverageChanged();
    const DepthTile& tile = *rec.tile;

    // The texture takes the shape of the picture of the same slot, so that
    // both are drawn with the same texture coordinates: a full-width tile in
    // 2048 columns, a half-width polar tile in 1024.
    const int texW = tile.width <= kNarrowTex ? kNarrowTex : kWideTex;
    const int cols = std::min(tile.width, texW);
    const int rows = std::min(tile.height, kTexRows);
    std::uint8_t* texels = coverageStaging_.data();
    std::fill(texels, texels + static_cast<std::size_t>(texW) * kTexRows, kCoverageFill);
    for (int r = 0; r < rows; ++r) {
        const std::uint8_t* src = tile.coverageRow(r);
        std::copy(src, src + cols, texels + static_cast<std::size_t>(r) * texW);
    }
    sink_.upload(tileTextures_[24 + tile.slot], texW, kTexRows, 1, texels, TextureEnv::Replace);
    return true;
}

bool TileStore::loadTilesOnArc(const double* arcLon, const double* arcY, int count, bool ready,
                               ProgressSink* progress) {
    out_ << "LOAD TILES ON ARC \n";
    if (!ready || !arcLon || !arcY) return false;
    static constexpr double kOffsets[2] = {-3.0, 3.0};
    auto forEachLookup = [&](auto&& visit) {
        for (double lonOffset : kOffsets)
            for (double latOffset : kOffsets)
                for (int i = 0; i < count; ++i)
                    if (!visit(arcLon[i] + lonOffset, latitudeFromMapY(arcY[i]) + latOffset)) return false;
        return true;
    };
    // Progress counts the cells that still need a read: a tile file is what
    // takes the time, not the lookups.
    std::vector<char> pending(static_cast<std::size_t>(kLatCells) * kLonCells, 0);
    long toRead = 0;
    forEachLookup([&](double lon, double lat) {
        int la = 0, lo = 0;
        if (lat < 66.0 && cellOf(lon, lat, la, lo) && !record(la, lo).loaded && !record(la, lo).missing &&
            !pending[static_cast<std::size_t>(la) * kLonCells + lo]) {
            pending[static_cast<std::size_t>(la) * kLonCells + lo] = 1;
            ++toRead;
        }
        return true;
    });
    // The cells the lookups below will read are decoded ahead, several at once.
    std::vector<CellIndex> visits;
    forEachLookup([&](double lon, double lat) {
        int la = 0, lo = 0;
        if (!(lat < 66.0) || !cellOf(lon, lat, la, lo)) {
            visits.push_back(CellIndex{});  // no data here: the lookups stop
            return false;
        }
        addVisit(visits, CellIndex{la, lo});
        return true;
    });
    TilePrefetch& decodes = prefetch();
    const PlanScope plan(decodes, decodes.workers() > 0 ? plannedLoads(visits, true) : std::vector<CellIndex>{});
    NullProgress quiet;
    ProgressStage stage(progress ? *progress : quiet, "Loading tiles", toRead);
    long read = 0;
    float elevation = 0.0f;
    return forEachLookup([&](double lon, double lat) {
        int la = 0, lo = 0;
        const bool counted = lat < 66.0 && cellOf(lon, lat, la, lo) &&
                             pending[static_cast<std::size_t>(la) * kLonCells + lo] == 1;
        const bool found = getDepth(lon, lat, elevation);
        if (counted) {
            pending[static_cast<std::size_t>(la) * kLonCells + lo] = 2;
            stage.step(++read);
        }
        return found;
    });
}

void TileStore::loadTilesAlongLine(float lat1, float lon1, float lat2, float lon2) {
    float lo = 0.0f, hi = 0.0f;
    if (lon1 * lon2 < 0.0f) {
        if (lon2 < 0.0f) {
            lo = lon1;
            hi = lon2 + 360.0f;
        } else {
            lo = lon2;
            hi = lon1 + 360.0f;
        }
    } else {
        lo = std::min(lon1, lon2);
        hi = std::max(lon1, lon2);
    }
    const float dlat = lat2 - lat1;
    float dlon = hi - lo;
    if (dlon > 180.0f) dlon -= 360.0f;
    if (dlon < -180.0f) dlon += 360.0f;
    const float len = std::sqrt(dlon * dlon + dlat * dlat);

    out_ << "LOAD TILES DLON  **********  " << dlon << "\n";
    out_ << "RANGE LON 1 " << lon1 << " " << lon2 << "\n";
    out_ << "RANGE LON 2 " << lo << " " << hi << "\n";

    if (!(len > 0.0f) || !std::isfinite(len)) return;
    const int n = 2 * static_cast<int>(std::min(len, 1.0e6f));
    // With a single point (n = 0) the steps count as 0.
    const float steps = n > 0 ? static_cast<float>(n) : 1.0f;
    static constexpr int kOffsets[5] = {-8, -4, 0, 4, 8};
    auto forEachCell = [&](auto&& visit) {
        for (int k : kOffsets) {
            for (int i = 0; i <= n; ++i) {
                const float fi = static_cast<float>(i);
                float lon = lo + fi * dlon / steps;
                const float lat = lat1 - static_cast<float>(k) * dlon / len + fi * dlat / steps;
                if (lon > 180.0f) {
                    lon -= 360.0f;
                } else if (lon < -180.0f) {
                    lon += 360.0f;
                }
                if (!(lat >= -96.0f) || !(std::fabs(lon) < 1.0e6f) || lat >= 1.0e6f) continue;
                const int lonIdx = static_cast<int>(lon + 540.0f) / 8 - 45;
                const int latIdx = static_cast<int>(lat + 96.0f) / 8;
                if (lonIdx < 0 || lonIdx > kLonCells - 1 || latIdx < 0 || latIdx > kLatCells - 1) continue;
                visit(latIdx, lonIdx);
            }
        }
    };
    // The cells the walk below will read are decoded ahead, several at once.
    std::vector<CellIndex> visits;
    forEachCell([&](int latIdx, int lonIdx) { addVisit(visits, CellIndex{latIdx, lonIdx}); });
    TilePrefetch& decodes = prefetch();
    const PlanScope plan(decodes, decodes.workers() > 0 ? plannedLoads(visits, false) : std::vector<CellIndex>{});
    forEachCell([&](int latIdx, int lonIdx) {
        if (!record(latIdx, lonIdx).loaded) ensureTile(latIdx, lonIdx);
    });
}

std::vector<CellIndex> TileStore::plannedLoads(const std::vector<CellIndex>& visits, bool stopWithoutData) const {
    // ensureTile replayed on a copy of the ring. A data file that is present
    // is taken to load; one that is present but damaged makes the plan wrong
    // from there on, which costs decodes that are dropped, never a result.
    const std::size_t cells = records_.size();
    std::vector<char> loaded(cells, 0), missing(cells, 0);
    std::vector<int> slotOf(cells, -1);
    for (std::size_t i = 0; i < cells; ++i) {
        loaded[i] = records_[i].loaded;
        missing[i] = records_[i].missing;
        if (records_[i].loaded && records_[i].tile) slotOf[i] = records_[i].tile->slot;
    }
    RingEntry ring[kRingSize];
    std::copy(ring_, ring_ + kRingSize, ring);
    int counter = loadCounter_;

    std::vector<CellIndex> loads;
    for (const CellIndex& v : visits) {
        if (v.latIdx < 0 || v.lonIdx < 0) {
            if (stopWithoutData) break;
            continue;
        }
        const std::size_t at = static_cast<std::size_t>(v.latIdx) * kLonCells + static_cast<std::size_t>(v.lonIdx);
        if (loaded[at]) continue;
        if (missing[at]) {
            if (stopWithoutData) break;
            continue;
        }
        loads.push_back(v);
        const TileRecord& rec = record(v.latIdx, v.lonIdx);
        if (!pathExists(DepthTile::dataFileName(root_, static_cast<int>(rec.lon0), static_cast<int>(rec.lat0)))) {
            missing[at] = 1;
            if (stopWithoutData) break;
            continue;
        }
        const int slot = counter % kRingSize;
        if (counter >= kRingSize) {
            const RingEntry oldest = ring[slot];
            if (oldest.latIdx >= 0 && oldest.lonIdx >= 0) {
                const std::size_t old = static_cast<std::size_t>(oldest.latIdx) * kLonCells +
                                        static_cast<std::size_t>(oldest.lonIdx);
                if (loaded[old] && slotOf[old] == slot) loaded[old] = 0;
            }
        }
        loaded[at] = 1;
        slotOf[at] = slot;
        ring[slot] = RingEntry{v.latIdx, v.lonIdx};
        ++counter;
    }
    return loads;
}

void TileStore::releaseAllTiles() {
    for (int slot = 0; slot < kRingSize; ++slot) dropPendingPicture(slot);
    for (TileRecord& rec : records_) {
        if (rec.loaded) {
            if (rec.tile) rec.tile->release();
            rec.tile.reset();
            rec.loaded = false;
        }
        // The user releases tiles to pick up tiles copied in since they were
        // last looked for, so cells found missing are looked for again.
        rec.missing = false;
    }
    out_ << "GRID CLEARED \n";
    loadCounter_ = 0;
}

}  // namespace tessarin
