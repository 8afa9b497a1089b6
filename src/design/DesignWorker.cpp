#include "design/DesignWorker.hpp"

#include <algorithm>
#include <chrono>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

DesignResult computeDesign(const DesignRequest& request, const Configuration& config, TileStore& tiles,
                           const std::string& extinctionFile) {
    const auto start = std::chrono::steady_clock::now();
    std::ostream quiet(nullptr);
    DesignResult r;
    SurveyPolygon area(quiet, config.depthMultiplier);
    const std::size_t n = std::min(request.lon.size(), request.lat.size());
    for (std::size_t i = 0; i < n; ++i) area.addVertex(request.lon[i], mapY(request.lat[i]), request.lat[i]);
    SurveyPlan plan(tiles, quiet, config.depthMultiplier, config.turnRadiusMetres(), config.boatSpeed, extinctionFile);
    // The worker is already off the GUI thread; more threads would only
    // compete with the window for the cores.
    plan.setSwathWorkers(1);
    const DesignInputs inputs{area, tiles, plan.extinctionCurve(), 2.0 * config.turnRadiusMetres(), config.boatSpeed};
    r.layout = layOutDesign(request.design, inputs);
    appendDesignToPlan(r.layout, plan, config.boatSpeed, config.depthMultiplier);
    plan.generateSwaths(false);
    r.totals = designTotals(r.layout, plan, area, config.boatSpeed, config.dayRate);
    plan.forEachSwathStrip([&r](const SwathStrip& s) {
        std::vector<float> outline;
        outline.reserve(static_cast<std::size_t>(s.count) * 4);
        for (int i = 0; i < s.count; ++i) outline.insert(outline.end(), {s.rightX[i], s.rightY[i]});
        for (int i = s.count - 1; i >= 0; --i) outline.insert(outline.end(), {s.leftX[i], s.leftY[i]});
        r.outlines.push_back(std::move(outline));
    });
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return r;
}

DesignWorker::DesignWorker(const Configuration& config, std::string root)
    : config_(config), root_(std::move(root)), thread_([this] { run(); }) {}

DesignWorker::~DesignWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::uint64_t DesignWorker::submit(DesignRequest request) {
    std::uint64_t number = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        number = ++submitted_;
        waiting_ = std::make_unique<DesignRequest>(std::move(request));
        waitingNumber_ = number;
    }
    wake_.notify_all();
    return number;
}

bool DesignWorker::take(DesignResult& result) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!finished_) return false;
    result = std::move(*finished_);
    finished_.reset();
    return true;
}

bool DesignWorker::busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_ || waiting_ != nullptr;
}

void DesignWorker::run() {
    std::ostream quiet(nullptr);
    NullTextureSink sink;
    // The worker's own tiles: the planner's store belongs to the GUI thread.
    TileStore tiles(quiet, sink, root_);
    const std::string extinctionFile = root_ + config_.extinctionTable;
    for (;;) {
        std::unique_ptr<DesignRequest> request;
        std::uint64_t number = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || waiting_ != nullptr; });
            if (stop_) return;
            request = std::move(waiting_);
            number = waitingNumber_;
            running_ = true;
        }
        DesignResult r = computeDesign(*request, config_, tiles, extinctionFile);
        r.request = number;
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        finished_ = std::make_unique<DesignResult>(std::move(r));
    }
}

}  // namespace tessarin
