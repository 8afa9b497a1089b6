#include "earth/PngDecoder.hpp"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

// libpng's classic read interface, not its simplified one: the simplified
// reader converts samples through the file's gamma to sRGB, which turns a
// depth code into a different depth code whenever a tile carries a gAMA chunk.
// The classic interface applies only the transforms asked for here.

namespace tessarin {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

constexpr png_uint_32 kMaxSide = 4096;

void silentWarning(png_structp, png_const_charp) {}

// A failure is reported as an empty image; the decoder's own text is not shown.
[[noreturn]] void silentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Where a read puts the pixels: the whole image in image->rgba, or, with
// handlers and a file that is not interlaced, one row at a time through
// rowBuffer. Lives in the caller's frame, like everything that outlives a
// longjmp.
struct ReadTarget {
    DecodedImage* image = nullptr;
    std::vector<png_bytep>* rows = nullptr;
    std::vector<std::uint8_t>* rowBuffer = nullptr;
    const PngHeaderHandler* begin = nullptr;
    const PngRowHandler* row = nullptr;
    bool streamed = false;
};

// Kept free of objects with destructors: libpng reports errors by longjmp back
// to the setjmp here. Everything that outlives the jump lives in *target.
bool readInto(std::FILE* file, ReadTarget* target) {
    DecodedImage* const image = target->image;
    std::vector<png_bytep>* const rows = target->rows;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, silentError, silentWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    // The pixels are allocated from the header's size before a row is read,
    // so a damaged or hostile header (65028 x 1920 in a 200-byte file) cost
    // half a gigabyte and seconds per tile. No picture or tile the planner
    // shows is wider or taller than its 2048-texel textures.
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);

    const png_byte colorType = png_get_color_type(png, info);
    const png_byte bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4 ||
        width > 0x7fffffffu / 4 || height > 0x7fffffffu) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->sourceBitDepth = bitDepth;
    image->sourcePalette = colorType == PNG_COLOR_TYPE_PALETTE;
    if (target->begin && target->row && passes == 1) {
        // Row by row: the reader converts each row while it is in cache and
        // never holds the whole RGBA image. Its exceptions stop here, where
        // the decoder's memory can still be given back.
        target->streamed = true;
        try {
            (*target->begin)(*image);
            target->rowBuffer->resize(static_cast<std::size_t>(width) * 4);
        } catch (...) {
            png_destroy_read_struct(&png, &info, nullptr);
            return false;
        }
        for (png_uint_32 r = 0; r < height; ++r) {
            png_read_row(png, target->rowBuffer->data(), nullptr);
            try {
                (*target->row)(static_cast<int>(r), target->rowBuffer->data());
            } catch (...) {
                png_destroy_read_struct(&png, &info, nullptr);
                return false;
            }
        }
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        return true;
    }
    // The header decides the allocation; a failed one is an unreadable file,
    // and the decoder's own allocations go with it.
    try {
        image->rgba.resize(static_cast<std::size_t>(width) * height * 4);
        rows->resize(height);
    } catch (const std::bad_alloc&) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    for (png_uint_32 r = 0; r < height; ++r)
        (*rows)[r] = image->rgba.data() + static_cast<std::size_t>(r) * width * 4;
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

DecodedImage decodePng(const std::string& path) {
    DecodedImage image;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return image;
    std::vector<png_bytep> rows;
    ReadTarget target;
    target.image = &image;
    target.rows = &rows;
    if (!readInto(file.get(), &target)) {
        image = DecodedImage{};
    }
    return image;
}

bool decodePngRows(const std::string& path, const PngHeaderHandler& begin, const PngRowHandler& row) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    DecodedImage image;
    std::vector<png_bytep> rows;
    std::vector<std::uint8_t> rowBuffer;
    ReadTarget target;
    target.image = &image;
    target.rows = &rows;
    target.rowBuffer = &rowBuffer;
    target.begin = &begin;
    target.row = &row;
    if (!readInto(file.get(), &target)) return false;
    if (target.streamed) return true;
    // An interlaced file is complete only after the last pass: it is read
    // whole and then handed over.
    file.reset();
    std::vector<png_bytep>().swap(rows);
    try {
        DecodedImage header = image;
        header.rgba = {};
        begin(header);
        for (int r = 0; r < image.height; ++r)
            row(r, image.rgba.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(image.width) * 4);
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace tessarin
