#pragma once
// 8-bit RGB or RGBA PNG writing with the Up filter on every row: the planner
// reads such files about 40 per cent faster than ones with adaptive filters,
// and zlib at a low level keeps writing fast.

#include <cstdint>
#include <string>
#include <vector>

namespace tessarin::tilekit {

// Writes width x height pixels of `channels` bytes each (3 = RGB, 4 = RGBA;
// row-major, top row first). Writes to a temporary name first and renames
// it, so an interrupted run never leaves a truncated file that a later run
// would take for a finished one. Returns false with a message in error when
// the file cannot be written.
bool writePng(const std::string& path, int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
              std::string& error);

inline bool writeRgbPng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
                        std::string& error) {
    return writePng(path, width, height, 3, rgb, error);
}

}  // namespace tessarin::tilekit
