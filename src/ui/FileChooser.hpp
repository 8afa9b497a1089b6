#pragma once
// Where the menu asks the user for a file name. Every dialog offers exactly
// one filter and is modal: it returns only when the user has chosen or
// cancelled. An empty path means cancelled or failed; the caller then does
// nothing.

#include <memory>
#include <string>
#include <vector>

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
    // Asks whether the existing files may be replaced; true to go on.
    virtual bool confirmReplace(const std::vector<std::string>& files) {
        return files.empty();
    }

    // The title of the next dialog, such as "Save polygon"; each dialog
    // takes it once and falls back to a plain "Open file" / "Save file".
    void setTitle(std::string title) { title_ = std::move(title); }

protected:
    std::string takeTitle(bool save) {
        std::string t = title_.empty() ? std::string(save ? "Save file" : "Open file") : title_;
        title_.clear();
        return t;
    }

private:
    std::string title_;
};

}  // namespace tessarin
