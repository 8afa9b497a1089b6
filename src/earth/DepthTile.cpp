#include "earth/DepthTile.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>

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

}  // namespace

DepthTile::DepthTile(double lon0In, double lat0In, double spanIn, int slotIn)
    : slot(slotIn), lon0(lon0In), lat0(lat0In), span(spanIn) {}

DepthTile::~DepthTile() { release(); }

std::uint64_t DepthTile::nextCoverageIdentity() {
    // Tiles may be made on loader threads.
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

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
    ++coverageVersion_;
    passRowsFrom_ = kRows;
    passRowsTo_ = 0;
    width = 0;
    height = 0;
    referencePixels = 0;
}

DepthTile::Decoded DepthTile::decode(const std::string& root, int lon0, int lat0) {
    Decoded d;
    d.name = dataFileName(root, lon0, lat0);
    try {
        bool wrongSize = false;
        int reference = 0;
        const bool read = decodePngRows(
            d.name,
            [&](const DecodedImage& header) {
                d.width = header.width;
                d.height = header.height;
                d.sourceBitDepth = header.sourceBitDepth;
                d.sourcePalette = header.sourcePalette;
                // Rows are located with the fixed 1919 of a full tile, so a
                // tile of any other height would be read at the wrong place or
                // past its end.
                wrongSize = header.height != kRows || header.width > kMaxWidth;
                if (wrongSize) return;
                const std::size_t n = static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.height);
                d.codes.resize(n);
                d.coverage.assign(n, 0);
            },
            [&](int row, const std::uint8_t* px) {
                if (wrongSize) return;
                const std::size_t at = static_cast<std::size_t>(row) * static_cast<std::size_t>(d.width);
                std::uint16_t* codes = d.codes.data() + at;
                std::uint8_t* coverage = d.coverage.data() + at;
                for (int c = 0; c < d.width; ++c, px += 4) {
                    codes[c] = static_cast<std::uint16_t>(px[0] * 256 + px[1]);
                    if (px[2] == kReferenceBlue) {
                        coverage[c] = kReferenceBit;
                        ++reference;
                    }
                }
            });
        if (!read) {
            std::vector<std::uint16_t>().swap(d.codes);
            std::vector<std::uint8_t>().swap(d.coverage);
            d.width = d.height = 0;
            d.status = pathExists(d.name) ? Decoded::Status::Unreadable : Decoded::Status::Missing;
            return d;
        }
        d.referencePixels = reference;
        d.status = wrongSize ? Decoded::Status::WrongSize : Decoded::Status::Ready;
    } catch (const std::exception&) {
        std::vector<std::uint16_t>().swap(d.codes);
        std::vector<std::uint8_t>().swap(d.coverage);
        d.status = Decoded::Status::Unreadable;
    }
    return d;
}

bool DepthTile::install(Decoded&& d, std::ostream& out) {
    switch (d.status) {
        case Decoded::Status::Missing:
            // A missing tile is ordinary (cells nobody surveyed) and stays
            // silent; one that is there but cannot be decoded (truncated, not
            // a PNG, a folder, unreadable) is damage the user should hear of.
            return false;
        case Decoded::Status::Unreadable:
            out << "Unreadable data tile " << d.name << ": not a readable PNG image\n";
            return false;
        case Decoded::Status::WrongSize:
            out << "Unreadable data tile " << d.name << ": " << d.width << " x " << d.height << " pixels, expected "
                << kRows << " rows and at most " << kMaxWidth << " columns\n";
            return false;
        case Decoded::Status::Ready:
            break;
    }
    out << "READ DATA MAP FILE NAME " << d.name << "\n";
    // Both decode to codes, but not as the tile writer made them: say so.
    if (d.sourceBitDepth == 16)
        out << "Data tile " << d.name << " has 16-bit samples; the depth code is read from their high bytes\n";
    if (d.sourcePalette) out << "Data tile " << d.name << " is a palette image; the depth code is read from its colours\n";
    release();
    width = d.width;
    height = d.height;
    codes_ = std::move(d.codes);
    coverage_ = std::move(d.coverage);
    coverageChanged();
    referencePixels = d.referencePixels;
    out << "Multibeam pixels " << referencePixels << "\n";
    return true;
}

bool DepthTile::loadData(const std::string& root, std::ostream& out) {
    return install(decode(root, static_cast<int>(lon0), static_cast<int>(lat0)), out);
}

// ---- Coverage marks ----------------------------------------------------------
// The marks round to the nearest cell (add 0.5 before truncating) while the
// lookups truncate, so a mark and a later lookup of the same point can meet
// neighbouring cells; stored coverage was made this way and is kept so.
// Every conversion to int is preceded by a range check: a spot outside the
// tile (or NaN) is refused before it can index anything.

namespace {

constexpr std::uint8_t kPassBit = 0x01;
constexpr std::uint8_t kOverlapBit = 0x10;
constexpr std::uint8_t kPlanBit = 0x20;
constexpr std::uint8_t kFineBit = 0x40;

// Offsets in degrees from the tile's south-west corner, single precision, or
// false when the spot is not within the tile's 8 degrees (or is NaN).
bool squareOffsets(double lon, double lat, double lon0, double lat0, float& dx, float& dy) {
    dx = static_cast<float>(lon - lon0);
    dy = static_cast<float>(lat - lat0);
    return dx >= 0.0f && dx < 8.0f && dy >= 0.0f && dy < 8.0f;
}

}  // namespace

bool DepthTile::markFine(double lon, double lat) {
    if (lon < -180.0) lon += 360.0;
    if (lon > 180.0) lon -= 360.0;
    float dx = 0.0f, dy = 0.0f;
    if (!squareOffsets(lon, lat, lon0, lat0, dx, dy)) return false;
    const int ix = static_cast<int>(dx);
    const int iy = static_cast<int>(dy);
    const int r = static_cast<int>(static_cast<double>(dy - static_cast<float>(iy)) * 960.0 + 0.5);
    const int row = (kFineSize - 1) - r;
    if (row < 0) return false;
    std::uint8_t* grid = fine[ix + 8 * iy].get();
    if (!grid) return false;
    const int col = static_cast<int>(static_cast<double>(dx - static_cast<float>(ix)) * 960.0 + 0.5);
    // Within half a cell of the square's east edge the column rounds to 960.
    if (col > kFineSize - 1) return false;
    grid[static_cast<std::size_t>(row) * kFineSize + static_cast<std::size_t>(col)] |= kFineBit;
    return true;
}

bool DepthTile::markCoarse(double lon, double lat) {
    if (lon < -180.0) lon += 360.0;
    if (lon > 180.0) lon -= 360.0;
    if (!hasRows()) return false;
    const double colD = static_cast<double>(static_cast<float>(lon - lon0) * static_cast<float>(width)) / span + 0.5;
    const double rD = static_cast<double>(static_cast<float>(lat - lat0) * static_cast<float>(height)) / span + 0.5;
    // NaN fails both comparisons and is refused with the far-off spots.
    if (!(rD > -1.0 && rD < static_cast<double>(kRows))) return false;
    if (!(colD > -1.0 && colD < static_cast<double>(width))) return false;
    const int r = static_cast<int>(rD);
    const int col = static_cast<int>(colD);
    if (r < 0 || r > kRows - 1) return false;
    const int row = (kRows - 1) - r;
    if (row >= height || col < 0 || col > width - 1) return false;
    std::uint8_t& b = coverageRow(row)[col];
    if (!(b & kPassBit) && (b & kPlanBit)) b |= kOverlapBit | kPassBit;
    b |= kPlanBit | kPassBit;
    return true;
}

void DepthTile::clearPassBits(bool everyRow) {
    const int from = everyRow ? 0 : std::max(passRowsFrom_, 0);
    const int to = everyRow ? height : std::min(passRowsTo_, height);
    if (from < to) {
        std::uint8_t* b = coverage_.data() + static_cast<std::size_t>(from) * static_cast<std::size_t>(width);
        const std::size_t n = static_cast<std::size_t>(to - from) * static_cast<std::size_t>(width);
        for (std::size_t i = 0; i < n; ++i) b[i] &= static_cast<std::uint8_t>(~kPassBit);
        ++coverageVersion_;
    }
    passRowsFrom_ = kRows;
    passRowsTo_ = 0;
}

void DepthTile::keepReferenceBits() {
    for (std::uint8_t& b : coverage_) b &= kReferenceBit;
    ++coverageVersion_;
    passRowsFrom_ = kRows;
    passRowsTo_ = 0;
}

std::uint8_t DepthTile::fineAt(double lon, double lat) const {
    float dx = 0.0f, dy = 0.0f;
    if (!squareOffsets(lon, lat, lon0, lat0, dx, dy)) return 0;
    const int ix = static_cast<int>(dx);
    const int iy = static_cast<int>(dy);
    const std::uint8_t* grid = fine[ix + 8 * iy].get();
    if (!grid) return 0;
    const int row = (kFineSize - 1) - static_cast<int>(static_cast<double>(dy - static_cast<float>(iy)) * 960.0);
    const int col = static_cast<int>(static_cast<double>(dx - static_cast<float>(ix)) * 960.0);
    if (row < 0 || row > kFineSize - 1 || col < 0 || col > kFineSize - 1) return 0;
    return grid[static_cast<std::size_t>(row) * kFineSize + static_cast<std::size_t>(col)];
}

bool DepthTile::allocateFine(int subRow, int subCol) {
    if (subRow < 0 || subRow > 7 || subCol < 0 || subCol > 7) return false;
    auto& grid = fine[subCol + 8 * subRow];
    if (!grid) grid.reset(new std::uint8_t[static_cast<std::size_t>(kFineSize) * kFineSize]());
    return true;
}

}  // namespace tessarin
