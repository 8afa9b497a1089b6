#pragma once
// What an export reports back: whether the file was written and a one-line
// message for the user (the reason when it was not).

#include <string>

namespace tessarin {

struct ExportResult {
    bool ok = false;
    std::string message;
};

}  // namespace tessarin
