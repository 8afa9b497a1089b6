#pragma once
// A fresh temporary folder for one test, removed with its contents at the end.

#include <string>

namespace tessarin::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, ending with '/', usable as a planner root.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }
    // Writes text to a file inside the folder (folders on the way are made).
    void write(const std::string& name, const std::string& text) const;
    std::string read(const std::string& name) const;

private:
    std::string path_;
};

}  // namespace tessarin::test
