#pragma once
// How a long operation (polygon fill, transit planning, tile preloads, the
// command-line tools) tells the user it is still moving. The operation calls
// begin once, step as work is done and end when it finishes; it never knows
// how progress is shown. Standard output is never used: it carries only the
// planner's own console lines.

#include <string>

namespace tessarin {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // what: a short stage name ("Fill", "Transit segment 2"); total: the
    // most steps the stage can take (0 when unknown).
    virtual void begin(const std::string& what, long total) = 0;
    // done: steps finished so far in the current stage.
    virtual void step(long done) = 0;
    virtual void end() = 0;
};

// Shows nothing; for tests and for callers that do not care.
class NullProgress : public ProgressSink {
public:
    void begin(const std::string&, long) override {}
    void step(long) override {}
    void end() override {}
};

// Starts a stage on construction and ends it when the scope closes, so an
// early return cannot leave a bar on the map.
class ProgressStage {
public:
    ProgressStage(ProgressSink& sink, const std::string& what, long total) : sink_(sink) {
        sink_.begin(what, total);
    }
    ~ProgressStage() { sink_.end(); }
    ProgressStage(const ProgressStage&) = delete;
    ProgressStage& operator=(const ProgressStage&) = delete;
    void step(long done) { sink_.step(done); }

private:
    ProgressSink& sink_;
};

}  // namespace tessarin
