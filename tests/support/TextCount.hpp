#pragma once
// How often a piece of text occurs in captured console output (overlapping
// occurrences count).

#include <string>

namespace tessarin::test {

inline int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace tessarin::test
