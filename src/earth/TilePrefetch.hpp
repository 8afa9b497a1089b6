#pragma once
// The decodes of the cells a preload is about to make resident, made ahead of
// time on a DecodePool while the loading thread installs the cells before
// them. The loading thread takes each cell's decode as it reaches the cell,
// so installs (console lines, ring, textures) keep the order and the thread
// they have without decoding ahead. A cell's data tile and picture tile are
// two jobs, so that even a load nobody planned reads both at once: the taking
// thread runs whichever job no worker has started. Or, with the picture after
// the data, one job reads the data tile and only the picture's header, and
// the picture is decoded later on its own (decodePicture), when its owner asks.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "earth/DecodePool.hpp"
#include "earth/DepthTile.hpp"
#include "earth/TilePicture.hpp"

namespace tessarin {

struct CellIndex {
    int latIdx = -1;
    int lonIdx = -1;
    bool operator==(const CellIndex& o) const { return latIdx == o.latIdx && lonIdx == o.lonIdx; }
    bool operator!=(const CellIndex& o) const { return !(*this == o); }
};

// Both files of one cell, decoded and not yet installed. With the picture
// after the data, picture may be deferred (only its header read).
struct CellDecode {
    DepthTile::Decoded data;
    TilePicture picture;
};

// When a cell's picture is decoded: with its data (take waits for both), or
// after it (take waits for the data and the picture's header).
enum class PictureLoad { WithData, AfterData };

class TilePrefetch {
public:
    // root is the tile store's root. workers 0: no thread; every decode runs
    // on the taking thread when it takes the cell.
    TilePrefetch(std::string root, int workers, PictureLoad pictures = PictureLoad::WithData);
    ~TilePrefetch();
    TilePrefetch(const TilePrefetch&) = delete;
    TilePrefetch& operator=(const TilePrefetch&) = delete;

    int workers() const { return pool_.workers(); }
    // How many planned cells are decoded ahead at most: a decoded cell holds
    // about 24 MB of codes, coverage and picture texels.
    int lookahead() const { return lookahead_; }

    // The cells the caller will take next, in order. Replaces any earlier plan.
    void plan(const std::vector<CellIndex>& cells);
    // The decode of a cell. A planned cell ends the plan's entries before it
    // (the caller went another way) and is waited for; any other is decoded
    // now.
    CellDecode take(int latIdx, int lonIdx);
    // Drops the planned decodes not taken.
    void drop();
    // Planned cells not yet taken or dropped.
    int plannedCount() const { return static_cast<int>(planned_.size()); }
    // Cells whose decode was started, planned or not: with a plan that
    // matches the takes, one per take.
    int decodesStarted() const { return decodesStarted_; }

    // Decodes a deferred picture into *into on a worker (on the thread that
    // waits for it when there is none); the job is the pool's.
    DecodePool::JobHandle decodePicture(std::shared_ptr<TilePicture> into, float lat0, float lon0);
    bool finished(const DecodePool::JobHandle& job) { return pool_.finished(job); }
    void wait(const DecodePool::JobHandle& job) { pool_.wait(job); }
    void cancel(const DecodePool::JobHandle& job) { pool_.cancel(job); }

private:
    struct Planned {
        CellIndex cell;
        std::shared_ptr<CellDecode> result;
        DecodePool::JobHandle pictureJob;
        DecodePool::JobHandle dataJob;
    };
    void start(Planned& p);
    void topUp();
    void cancel(Planned& p);
    CellDecode finish(Planned& p);

    std::string root_;
    PictureLoad pictures_;
    int lookahead_ = 1;
    int decodesStarted_ = 0;
    std::deque<Planned> planned_;
    DecodePool pool_;  // last: its workers are joined before the plan goes
};

}  // namespace tessarin
