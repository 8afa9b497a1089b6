#include "FuzzFiles.hpp"

#include <unistd.h>
#include <zlib.h>

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

std::string withPngCrcs(std::string_view png) {
    std::string bytes(png);
    auto u8 = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    std::size_t at = 8;  // past the signature, whatever it holds
    while (at + 12 <= bytes.size()) {
        const std::uint32_t length = u8(at) << 24 | u8(at + 1) << 16 | u8(at + 2) << 8 | u8(at + 3);
        if (length > bytes.size() - at - 12) break;
        const auto* typeAndData = reinterpret_cast<const Bytef*>(bytes.data() + at + 4);
        const auto crc = static_cast<std::uint32_t>(::crc32(0L, typeAndData, static_cast<uInt>(length + 4)));
        const std::size_t c = at + 8 + length;
        bytes[c] = static_cast<char>(crc >> 24);
        bytes[c + 1] = static_cast<char>(crc >> 16);
        bytes[c + 2] = static_cast<char>(crc >> 8);
        bytes[c + 3] = static_cast<char>(crc);
        at = c + 4;
    }
    return bytes;
}

void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz: property broken: %s\n", what);
    std::abort();
}

}  // namespace tessarin::fuzz
