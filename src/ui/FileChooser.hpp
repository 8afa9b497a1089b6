#pragma once
// Where the menu asks the user for a file name. Every dialog offers exactly
// one filter and is modal: it returns only when the user has chosen or
// cancelled. An empty path means cancelled or failed; the caller then does
// nothing.

#include <memory>
#include <string>

namespace tessarin {

struct FileFilter {
    std::string name;     // shown to the user, e.g. "Comma-separated values files (*.csv)"
    std::string pattern;  // shell pattern of the names listed, e.g. "*.csv"
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // An existing file to read.
    virtual std::string openFile(const FileFilter& filter) = 0;
    // A name to write; no extension is added.
    virtual std::string saveFile(const FileFilter& filter) = 0;
};

}  // namespace tessarin
