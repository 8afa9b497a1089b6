#include "earth/TilePrefetch.hpp"

#include <algorithm>
#include <utility>

namespace tessarin {
namespace {

// The south and west edges (degrees) of a cell, as the tile store has them.
float southOf(int latIdx) { return static_cast<float>(8 * latIdx - 96); }
float westOf(int lonIdx) { return static_cast<float>(8 * lonIdx - 180); }

}  // namespace

TilePrefetch::TilePrefetch(std::string root, int workers, PictureLoad pictures)
    : root_(std::move(root)), pictures_(pictures), pool_(std::max(workers, 0)) {
    // One cell per worker in flight and one decoded ready to install keeps
    // every core busy; more would only hold memory.
    lookahead_ = std::max(1, pool_.workers() + 1);
}

TilePrefetch::~TilePrefetch() { drop(); }

void TilePrefetch::start(Planned& p) {
    p.result = std::make_shared<CellDecode>();
    ++decodesStarted_;
    const float lat0 = southOf(p.cell.latIdx), lon0 = westOf(p.cell.lonIdx);
    std::shared_ptr<CellDecode> result = p.result;
    const std::string& root = root_;
    if (pictures_ == PictureLoad::AfterData) {
        p.dataJob = pool_.submit([result, root, lat0, lon0] {
            result->data = DepthTile::decode(root, static_cast<int>(lon0), static_cast<int>(lat0));
            result->picture = TilePicture::probe(root, lat0, lon0);
        });
        return;
    }
    // Each job writes only its own member of the shared result.
    p.pictureJob = pool_.submit([result, root, lat0, lon0] { result->picture = TilePicture::decode(root, lat0, lon0); });
    p.dataJob = pool_.submit([result, root, lat0, lon0] {
        result->data = DepthTile::decode(root, static_cast<int>(lon0), static_cast<int>(lat0));
    });
}

void TilePrefetch::topUp() {
    int inFlight = 0;
    for (Planned& p : planned_) {
        if (inFlight >= lookahead_) break;
        if (!p.result) start(p);
        ++inFlight;
    }
}

void TilePrefetch::cancel(Planned& p) {
    pool_.cancel(p.pictureJob);
    pool_.cancel(p.dataJob);
}

CellDecode TilePrefetch::finish(Planned& p) {
    // The data first: while this thread reads it (or waits for it), a worker
    // may still take the picture.
    pool_.wait(p.dataJob);
    pool_.wait(p.pictureJob);
    return std::move(*p.result);
}

void TilePrefetch::plan(const std::vector<CellIndex>& cells) {
    drop();
    for (const CellIndex& c : cells) planned_.push_back(Planned{c, nullptr, nullptr, nullptr});
    topUp();
}

CellDecode TilePrefetch::take(int latIdx, int lonIdx) {
    const CellIndex cell{latIdx, lonIdx};
    const auto at = std::find_if(planned_.begin(), planned_.end(), [&](const Planned& p) { return p.cell == cell; });
    Planned p{cell, nullptr, nullptr, nullptr};
    if (at != planned_.end()) {
        for (auto it = planned_.begin(); it != at; ++it) cancel(*it);
        p = std::move(*at);
        planned_.erase(planned_.begin(), at + 1);
    }
    // The picture goes to a worker first, so that it is read while this
    // thread reads the data.
    if (!p.result) start(p);
    topUp();
    return finish(p);
}

DecodePool::JobHandle TilePrefetch::decodePicture(std::shared_ptr<TilePicture> into, float lat0, float lon0) {
    const std::string& root = root_;
    return pool_.submit([into, root, lat0, lon0] { *into = TilePicture::decode(root, lat0, lon0); });
}

void TilePrefetch::drop() {
    for (Planned& p : planned_) cancel(p);
    planned_.clear();
}

}  // namespace tessarin
