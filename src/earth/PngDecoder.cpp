#include "earth/PngDecoder.hpp"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

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

// Kept free of objects with destructors: libpng reports errors by longjmp back
// to the setjmp here. Everything that outlives the jump lives in *image.
bool readInto(std::FILE* file, DecodedImage* image, std::vector<png_bytep>* rows) {
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
    png_set_interlace_handling(png);
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
    image->rgba.resize(static_cast<std::size_t>(width) * height * 4);
    rows->resize(height);
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
    if (!readInto(file.get(), &image, &rows)) {
        image = DecodedImage{};
    }
    return image;
}

}  // namespace tessarin
