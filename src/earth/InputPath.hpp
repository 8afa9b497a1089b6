#pragma once
// Questions the readers ask about an input path before trusting what they
// read from it. On Linux a folder opens like a file and then reads as empty,
// so a folder named config.txt or EMdefault.txt would pass for an empty file
// (and give an empty curve or no settings) instead of a missing one.

#include <string>

namespace tessarin {

// True when path names a folder (following links).
bool isFolder(const std::string& path);

// True when something is at path, whether or not it can be read.
bool pathExists(const std::string& path);

}  // namespace tessarin
