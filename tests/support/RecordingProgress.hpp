#pragma once
// A progress sink that records every begin, step and end, in order, as text
// ("begin Loading tiles 4", "step 1", "end").

#include <string>
#include <vector>

#include "earth/ProgressSink.hpp"

namespace tessarin::test {

class RecordingProgress : public ProgressSink {
public:
    void begin(const std::string& what, long total) override {
        calls.push_back("begin " + what + " " + std::to_string(total));
    }
    void step(long done) override { calls.push_back("step " + std::to_string(done)); }
    void end() override { calls.push_back("end"); }
    std::vector<std::string> calls;
};

}  // namespace tessarin::test
