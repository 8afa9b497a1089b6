#include "earth/DepthTile.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "earth/InputPath.hpp"
#include "earth/PngDecoder.hpp"

// Pixel arithmetic of a tile. lon and lat are degrees; rows count from the
// north edge (row 0) to the south edge (row 1919), columns from the west edge.
// The row and column products are taken in single precision and divided by
// the span in double because the stored coverage and every plan computed so
// far were made that way: a point a hair south of a pixel boundary must land
// in the same pixel as it always did.

namespace tessarin {
namespace {

constexpr std::uint8_t kReferenceBit = 0x40;
constexpr std::uint8_t kReferenceBlue = 3;

// trunc(offset * pixels / span) with the product in single precision and the
// division in double. Far-off and NaN offsets are first brought to a size
// whose float and int conversions are defined; the callers' clamps then put
// them on the tile's edge.
int pixelOffset(double degrees, int pixels, double span) {
    if (!(degrees == degrees)) degrees = 0.0;
    degrees = std::clamp(degrees, -1.0e5, 1.0e5);
    const float product = static_cast<float>(degrees) * static_cast<float>(pixels);
    return static_cast<int>(static_cast<double>(product) / span);
}

}  // namespace

DepthTile::DepthTile(double lon0In, double lat0In, double spanIn, int slotIn)
    : slot(slotIn), lon0(lon0In), lat0(lat0In), span(spanIn) {}

DepthTile::~DepthTile() { release(); }

std::string DepthTile::dataFileName(const std::string& root, int lon0, int lat0) {
    char name[64];
    std::snprintf(name, sizeof name, "Tile_8png_d/BD_8_%d_%d_1920.png", lon0, lat0);
    return root + name;
}

void DepthTile::allocate(int w, int h) {
    release();
    if (w <= 0 || h <= 0) return;
    width = w;
    height = h;
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    codes_.assign(n, 0);
    coverage_.assign(n, 0);
}

void DepthTile::release() {
    std::vector<std::uint16_t>().swap(codes_);
    std::vector<std::uint8_t>().swap(coverage_);
    for (auto& grid : fine) grid.reset();
    width = 0;
    height = 0;
    referencePixels = 0;
}

bool DepthTile::loadData(const std::string& root, std::ostream& out) {
    const std::string name = dataFileName(root, static_cast<int>(lon0), static_cast<int>(lat0));
    const DecodedImage image = decodePng(name);
    if (image.empty()) {
        // A missing tile is ordinary (cells nobody surveyed) and stays
        // silent; one that is there but cannot be decoded (truncated, not a
        // PNG, a folder, unreadable) is damage the user should hear of.
        if (pathExists(name)) out << "Unreadable data tile " << name << ": not a readable PNG image\n";
        return false;
    }
    // Rows are located with the fixed 1919 of a full tile, so a tile of any
    // other height would be read at the wrong place or past its end.
    if (image.height != kRows || image.width > kMaxWidth) {
        out << "Unreadable data tile " << name << ": " << image.width << " x " << image.height
            << " pixels, expected " << kRows << " rows and at most " << kMaxWidth << " columns\n";
        return false;
    }
    out << "READ DATA MAP FILE NAME " << name << "\n";
    // Both decode to codes, but not as the tile writer made them: say so.
    if (image.sourceBitDepth == 16)
        out << "Data tile " << name << " has 16-bit samples; the depth code is read from their high bytes\n";
    if (image.sourcePalette) out << "Data tile " << name << " is a palette image; the depth code is read from its colours\n";
    allocate(image.width, image.height);

    int reference = 0;
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const std::uint8_t* px = image.rgba.data();
    for (std::size_t i = 0; i < n; ++i, px += 4) {
        codes_[i] = static_cast<std::uint16_t>(px[0] * 256 + px[1]);
        if (px[2] == kReferenceBlue) {
            coverage_[i] = kReferenceBit;
            ++reference;
        }
    }
    referencePixels = reference;
    out << "Multibeam pixels " << reference << "\n";
    return true;
}

int DepthTile::rowOf(double lat) const {
    if (height <= 0) return 0;
    const int row = (kRows - 1) - pixelOffset(lat - lat0, height, span);
    // Through the depth lookup the point is inside the tile and only the
    // north edge can give -1; direct callers may ask anywhere, so the row is
    // kept inside the rows that exist.
    return std::clamp(row, 0, height - 1);
}

int DepthTile::colOf(double lon) const {
    if (width <= 0) return 0;
    // Longitude 180 is the west edge of the first cell (the lookup sends it
    // there), so it must read as -180 here too.
    if (lon < -180.0) lon += 360.0;
    if (lon >= 180.0) lon -= 360.0;
    const int col = pixelOffset(lon - lon0, width, span);
    return std::clamp(col, 0, width - 1);
}

float DepthTile::elevationAt(double lon, double lat) const {
    if (!hasRows()) return 0.0f;
    const std::size_t i = static_cast<std::size_t>(rowOf(lat)) * static_cast<std::size_t>(width) +
                          static_cast<std::size_t>(colOf(lon));
    return static_cast<float>(codes_[i]) / 3.0f - 12000.0f;
}

std::uint8_t DepthTile::coverageAt(double lon, double lat) const {
    if (!hasRows()) return 0;
    return coverageRow(rowOf(lat))[colOf(lon)];
}

}  // namespace tessarin
