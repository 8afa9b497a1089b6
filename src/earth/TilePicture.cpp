#include "earth/TilePicture.hpp"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "earth/InputPath.hpp"
#include "earth/PngDecoder.hpp"

namespace tessarin {
namespace {

constexpr int kWideTex = 2048;
constexpr int kNarrowTex = 1024;
// Texels outside the picture: the colour the map has always shown there.
constexpr std::uint8_t kOutside[3] = {255, 180, 180};

// Picture tiles near the poles are stored at half width.
bool narrowPicture(float lat0) { return lat0 >= 56.0f || lat0 <= -64.0f; }

void fillOutside(std::uint8_t* dst, int texels) {
    for (int i = 0; i < texels; ++i, dst += 3) std::copy(kOutside, kOutside + 3, dst);
}

}  // namespace

std::string TilePicture::fileName(const std::string& root, float lat0, float lon0) {
    char name[64];
    std::snprintf(name, sizeof name, "Tile_8png_i/BI_8_%d_%d_1920.png", static_cast<int>(lon0),
                  static_cast<int>(lat0));
    return root + name;
}

TilePicture TilePicture::decode(const std::string& root, float lat0, float lon0) {
    TilePicture p;
    p.name = fileName(root, lat0, lon0);
    const bool narrow = narrowPicture(lat0);
    p.expectedWidth = narrow ? 960 : 1920;
    p.texWidth = narrow ? kNarrowTex : kWideTex;
    try {
        const int w = p.expectedWidth;
        const int texW = p.texWidth;
        bool wrongSize = false;
        const bool read = decodePngRows(
            p.name,
            [&](const DecodedImage& header) {
                // Only as many pixels as were decoded may be read: a short or
                // narrow file cannot be shown (once it has proved readable).
                wrongSize = header.width < w || header.height < kPictureRows;
                p.fileWidth = header.width;
                p.fileHeight = header.height;
                if (!wrongSize) p.texels.resize(static_cast<std::size_t>(texW) * kTexRows * 3);
            },
            [&](int r, const std::uint8_t* src) {
                if (wrongSize || r >= kPictureRows) return;
                std::uint8_t* dst = p.texels.data() + static_cast<std::size_t>(r) * texW * 3;
                for (int c = 0; c < w; ++c, src += 4, dst += 3) {
                    dst[0] = src[0];
                    dst[1] = src[1];
                    dst[2] = src[2];
                }
                dst[0] = dst[1] = dst[2] = 255;
                fillOutside(dst + 3, texW - w - 1);
            });
        if (!read) {
            std::vector<std::uint8_t>().swap(p.texels);
            p.fileWidth = p.fileHeight = 0;
            p.status = pathExists(p.name) ? Status::Unreadable : Status::Missing;
            return p;
        }
        if (wrongSize) {
            p.status = Status::WrongSize;
            return p;
        }
        fillOutside(p.texels.data() + static_cast<std::size_t>(kPictureRows) * texW * 3,
                    (kTexRows - kPictureRows) * texW);
        p.status = Status::Ready;
    } catch (const std::exception&) {
        std::vector<std::uint8_t>().swap(p.texels);
        p.status = Status::Unreadable;
    }
    return p;
}

TilePicture TilePicture::probe(const std::string& root, float lat0, float lon0) {
    struct HeaderRead {};
    TilePicture p;
    p.name = fileName(root, lat0, lon0);
    const bool narrow = narrowPicture(lat0);
    p.expectedWidth = narrow ? 960 : 1920;
    p.texWidth = narrow ? kNarrowTex : kWideTex;
    bool fits = false;
    try {
        decodePngRows(
            p.name,
            [&](const DecodedImage& header) {
                fits = header.width >= p.expectedWidth && header.height >= kPictureRows;
                throw HeaderRead{};  // the rows are the decode's work
            },
            [](int, const std::uint8_t*) {});
    } catch (...) {
        fits = false;
    }
    if (!fits) return decode(root, lat0, lon0);  // fails fast, with the decode's own reason
    p.status = Status::Ready;
    p.deferred = true;
    return p;
}

bool TilePicture::report(std::ostream& out, int slot) const {
    out << "LOAD 8 deg Tile " << name << " " << slot << "\n";
    return reportFailure(out);
}

bool TilePicture::reportFailure(std::ostream& out) const {
    if (status == Status::Ready) return true;
    out << "Fail to open " << name << "\n";
    // A picture that is there but unusable is named with the reason; a
    // missing one is common and the line above says enough.
    if (status == Status::WrongSize)
        out << "Picture tile " << name << " is " << fileWidth << " x " << fileHeight << " pixels, expected at least "
            << expectedWidth << " x " << kPictureRows << "\n";
    else if (status == Status::Unreadable)
        out << "Picture tile " << name << " is not a readable PNG image\n";
    return false;
}

}  // namespace tessarin
