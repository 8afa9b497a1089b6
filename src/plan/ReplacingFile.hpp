#pragma once
// A text file written beside its destination and moved over it only once it
// is complete, so a save that fails half-way (disk full, unwritable folder)
// leaves the previous file as it was.

#include <cstdio>
#include <string>

namespace tessarin {

class ReplacingFile {
public:
    // Creates "<path>.tmp" for writing; check isOpen().
    explicit ReplacingFile(std::string path);
    // Removes the temporary file unless commit() succeeded.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    std::FILE* get() const { return file_; }
    // Closes the temporary file and renames it to the destination. False
    // (destination untouched, temporary removed) when any write failed.
    bool commit();

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string tempPath_;
    std::FILE* file_ = nullptr;
};

}  // namespace tessarin
