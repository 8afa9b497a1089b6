#include "plan/ReplacingFile.hpp"

namespace tessarin {

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)), tempPath_(path_ + ".tmp") {
    file_ = std::fopen(tempPath_.c_str(), "w");
}

ReplacingFile::~ReplacingFile() {
    if (file_) {
        std::fclose(file_);
        std::remove(tempPath_.c_str());
    }
}

bool ReplacingFile::commit() {
    if (!file_) return false;
    const bool written = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed || std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        std::remove(tempPath_.c_str());
        return false;
    }
    return true;
}

}  // namespace tessarin
