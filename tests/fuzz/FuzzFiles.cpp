#include "FuzzFiles.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tessarin::fuzz {
namespace {

// Made on first use and removed with its files when the process ends.
struct ScratchFolder {
    std::string path;
    ScratchFolder() {
        std::error_code ec;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
        const std::filesystem::path dir = base / ("tessarin-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        path = dir.string() + "/";
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::string& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path;
}

std::string writeFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    return writeFile(name, std::string_view(reinterpret_cast<const char*>(data), size));
}

std::string writeFile(const std::string& name, std::string_view bytes) {
    const std::string path = scratchFolder() + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
    return path;
}

void removeFile(const std::string& name) { std::remove((scratchFolder() + name).c_str()); }

bool splitAt(std::string_view data, std::string_view separator, std::string_view& head, std::string_view& tail) {
    const std::size_t at = data.find(separator);
    if (at == std::string_view::npos) {
        head = data;
        tail = {};
        return false;
    }
    head = data.substr(0, at);
    tail = data.substr(at + separator.size());
    return true;
}

void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz: property broken: %s\n", what);
    std::abort();
}

}  // namespace tessarin::fuzz
