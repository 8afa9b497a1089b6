#include "PngFile.hpp"

#include <png.h>

#include <cstdio>
#include <filesystem>

namespace tessarin::tilekit {

bool writePng(const std::string& path, int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
              std::string& error) {
    if ((channels != 3 && channels != 4) || width <= 0 || height <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * height * channels) {
        error = "internal error: short image for " + path;
        return false;
    }
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        error = "cannot create " + temporary;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        error = "out of memory writing " + path;
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 2);
    png_write_info(png, info);
    for (int r = 0; r < height; ++r) {
        png_write_row(png, const_cast<png_bytep>(pixels.data() + static_cast<std::size_t>(r) * width * channels));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!flushed || !closed) {
        std::remove(temporary.c_str());
        error = "cannot write " + path + " (disk full?)";
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.c_str());
        error = "cannot rename " + temporary + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace tessarin::tilekit
