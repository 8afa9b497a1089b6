#pragma once
// Computes survey designs and their totals on a thread of its own, so the
// window that edits a design never waits. It works on copies: the polygon's
// vertices and the settings handed in, its own tile store (read from the
// same folder, never the planner's) and its own plan. Only the newest
// request counts: one handed in while another runs replaces any that waits,
// and a result is taken once.
//
// Positions are degrees; map plane x = longitude, y = mapY(latitude).

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "design/SurveyDesign.hpp"
#include "plan/Configuration.hpp"

namespace tessarin {

struct DesignRequest {
    std::vector<double> lon, lat;  // the polygon's ring from its first vertex
    SurveyDesign design;
};

struct DesignResult {
    std::uint64_t request = 0;  // as submit returned it
    DesignLayout layout;
    DesignTotals totals;
    // Each leg's swath outline: starboard edge out, port edge back, as
    // x, y pairs in the map plane.
    std::vector<std::vector<float>> outlines;
    double seconds = 0.0;  // the computation's wall time
};

// One design and its totals, on the calling thread over tiles (what the
// worker runs for each request).
DesignResult computeDesign(const DesignRequest& request, const Configuration& config, TileStore& tiles,
                           const std::string& extinctionFile);

class DesignWorker {
public:
    // root: the folder of the tiles and the extinction table ("" the
    // working directory, else ending in '/').
    DesignWorker(const Configuration& config, std::string root);
    ~DesignWorker();
    DesignWorker(const DesignWorker&) = delete;
    DesignWorker& operator=(const DesignWorker&) = delete;

    // Queues the request; returns its number (increasing from 1).
    std::uint64_t submit(DesignRequest request);
    // The newest finished result not taken yet; false when there is none.
    bool take(DesignResult& result);
    // A request waits or runs.
    bool busy() const;

private:
    void run();

    Configuration config_;
    std::string root_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::unique_ptr<DesignRequest> waiting_;
    std::uint64_t waitingNumber_ = 0;
    std::uint64_t submitted_ = 0;
    bool running_ = false;
    std::unique_ptr<DesignResult> finished_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace tessarin
