#pragma once
// Command-line number parsing shared by the tile tools.

#include <cstdlib>

namespace tessarin {

// A whole decimal number filling all of text and lying within low..high.
inline bool parseInt(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end && end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace tessarin
