#include "support/TempDir.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tessarin::test {

TempDir::TempDir() {
    // Polygon loading sends any path holding "shp" to the shapefile reader,
    // so a random name must never contain it.
    for (;;) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessarin-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        if (pattern.find("shp") == std::string::npos) {
            path_ = pattern + "/";
            return;
        }
        std::filesystem::remove(pattern);
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string& name, const std::string& text) const {
    const std::filesystem::path p(path_ + name);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(path_ + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace tessarin::test
