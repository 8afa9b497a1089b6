#pragma once
// 8-bit RGB PNG writing with the Up filter on every row: the planner reads
// such files about 40 per cent faster than ones with adaptive filters, and
// zlib at a low level keeps writing fast.

#include <cstdint>
#include <string>
#include <vector>

namespace tessarin::worldgen {

// Writes width x height RGB pixels (row-major, top row first). Writes to a
// temporary name first and renames it, so an interrupted run never leaves a
// truncated file that a later run would skip. Returns false with a message in
// error when the file cannot be written.
bool writeRgbPng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
                 std::string& error);

}  // namespace tessarin::worldgen
