#pragma once
// One resident 8 x 8 degree data tile: depth codes, coverage bytes and the
// fine sub-grids of the coverage accounting.
// Rows run north (row 0) to south; a full tile is 1920 x 1920 pixels of
// 15 arc-seconds. Elevation in metres = code / 3 - 12000, negative below sea
// level.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tessarin {

class DepthTile {
public:
    static constexpr int kRows = 1920;
    static constexpr int kFineGrids = 64;     // 8 x 8 one-degree squares
    static constexpr int kFineSize = 960;     // 960 x 960 bytes per square

    DepthTile(double lon0, double lat0, double span, int slot);
    ~DepthTile();
    DepthTile(const DepthTile&) = delete;
    DepthTile& operator=(const DepthTile&) = delete;

    // A data tile read from its file but not yet part of a tile: the decode
    // runs on any thread, the install (which prints) on the loading one.
    struct Decoded {
        enum class Status { Ready, Missing, Unreadable, WrongSize };
        std::string name;                  // the data file
        Status status = Status::Missing;
        int width = 0;                     // pixels of the file (also when WrongSize)
        int height = 0;
        int sourceBitDepth = 0;
        bool sourcePalette = false;
        int referencePixels = 0;
        std::vector<std::uint16_t> codes;  // width x height when Ready
        std::vector<std::uint8_t> coverage;
    };

    // Reads "<root>Tile_8png_d/BD_8_<lon0>_<lat0>_1920.png". Prints nothing
    // and touches nothing shared; running out of memory counts as an
    // unreadable file.
    static Decoded decode(const std::string& root, int lon0, int lat0);

    // Takes the decoded rows, printing what loadData prints; false (the tile
    // left empty) when the decode found no usable tile.
    bool install(Decoded&& decoded, std::ostream& out);

    // Reads the data tile "<root>Tile_8png_d/BD_8_<lon0>_<lat0>_1920.png".
    // Prints "READ DATA MAP FILE NAME ..." and "Multibeam pixels ..." to out.
    // False when the file is missing (no message), cannot be decoded or has
    // the wrong size (a message naming the file).
    bool loadData(const std::string& root, std::ostream& out);

    // Elevation in metres of the pixel cell holding (lon, lat) degrees.
    float elevationAt(double lon, double lat) const {
        if (!hasRows()) return 0.0f;
        return elevationOfCode(codes_[cellIndex(lon, lat)]);
    }

    // Coverage byte of the pixel cell holding (lon, lat); 0 without rows.
    std::uint8_t coverageAt(double lon, double lat) const {
        if (!hasRows()) return 0;
        return coverage_[cellIndex(lon, lat)];
    }

    // elevationAt and coverageAt for a point that the tile grid has placed
    // in this tile's cell (|lat - lat0| and |lon - lon0| below a few hundred
    // degrees after the longitude wrap, never NaN), where the guards of
    // pixelOffset cannot change a result and are left out. Same pixel, same
    // arithmetic: dividing by a power of two such as the store's 8 degrees
    // is exact, so it is done as a multiplication.
    float elevationInCell(double lon, double lat) const {
        return hasRows() ? elevationOfCode(codes_[indexInCell(lon, lat)]) : 0.0f;
    }
    std::uint8_t coverageInCell(double lon, double lat) const {
        return hasRows() ? coverage_[indexInCell(lon, lat)] : std::uint8_t{0};
    }

    static float elevationOfCode(std::uint16_t code) { return static_cast<float>(code) / 3.0f - 12000.0f; }

    // Frees codes, coverage bytes and fine sub-grids.
    void release();

    // Zeroed codes and coverage bytes for width x height pixels (the reader
    // uses it; tools and tests can fill a tile in memory through codeRow).
    void allocate(int width, int height);

    // "<root>Tile_8png_d/BD_8_<lon0>_<lat0>_1920.png".
    static std::string dataFileName(const std::string& root, int lon0, int lat0);

    // Widest data tile read: the coverage texture holds 2048 columns.
    static constexpr int kMaxWidth = 2048;

    // Row and column of (lon, lat) with the lookup's precisions: the products
    // in single precision, the division by span in double.
    int rowOf(double lat) const {
        if (height <= 0) return 0;
        const int row = (kRows - 1) - pixelOffset(lat - lat0, height, span);
        // Through the depth lookup the point is inside the tile and only the
        // north edge can give -1; direct callers may ask anywhere, so the row
        // is kept inside the rows that exist.
        return std::clamp(row, 0, height - 1);
    }
    int colOf(double lon) const {
        if (width <= 0) return 0;
        // Longitude 180 is the west edge of the first cell (the lookup sends
        // it there), so it must read as -180 here too.
        if (lon < -180.0) lon += 360.0;
        if (lon >= 180.0) lon -= 360.0;
        return std::clamp(pixelOffset(lon - lon0, width, span), 0, width - 1);
    }

    std::uint16_t* codeRow(int row) { return codes_.data() + static_cast<std::size_t>(row) * width; }
    // Handing out a writable row counts as a coverage change (see coverageVersion).
    // It may also set pass bits there (see clearPassBits).
    std::uint8_t* coverageRow(int row) {
        ++coverageVersion_;
        passRowsFrom_ = std::min(passRowsFrom_, row);
        passRowsTo_ = std::max(passRowsTo_, row + 1);
        return coverage_.data() + static_cast<std::size_t>(row) * width;
    }
    const std::uint8_t* coverageRow(int row) const { return coverage_.data() + static_cast<std::size_t>(row) * width; }
    bool hasRows() const { return !codes_.empty(); }

    // ---- Coverage marks ----
    // Marks the fine cell at (lon, lat) degrees with the fine-capture bit;
    // false when the spot has no allocated sub-grid or lies outside it.
    bool markFine(double lon, double lat);
    // Marks the coverage byte at (lon, lat) with the plan and pass bits, and
    // the overlap bit when an earlier pass already planned the cell; false
    // outside the tile's rows and columns or without rows.
    bool markCoarse(double lon, double lat);
    // Clears the pass bit of the coverage bytes. Only rows handed out for
    // writing since the last clear can hold one, so only those are visited,
    // unless everyRow asks for all of them.
    void clearPassBits(bool everyRow = false);
    // Clears every plan mark (pass, overlap and plan bits); reference bits stay.
    void keepReferenceBits();
    // The fine cell value at (lon, lat); 0 without a sub-grid there.
    std::uint8_t fineAt(double lon, double lat) const;
    // Makes the zero-filled sub-grid of square subCol + 8 * subRow unless it
    // exists; false outside 0..7.
    bool allocateFine(int subRow, int subCol);

    // ---- Coverage changes ----
    // Drawings made from the coverage bytes (the coverage dots) remake
    // themselves when the pair (coverageIdentity, coverageVersion) differs
    // from the one they were made from. The version moves with allocate,
    // release, markCoarse and every writable coverageRow; a writer that keeps
    // a row pointer and writes through it after a frame has been drawn calls
    // coverageChanged. The identity is unique to this tile object in the
    // process, so a tile loaded where another was freed is never taken for it.
    void coverageChanged() {
        ++coverageVersion_;
        passRowsFrom_ = 0;
        passRowsTo_ = height;
    }
    std::uint64_t coverageVersion() const { return coverageVersion_; }
    std::uint64_t coverageIdentity() const { return coverageIdentity_; }

    // Fine sub-grid of one-degree square k (0..63), null until made.
    std::unique_ptr<std::uint8_t[]> fine[kFineGrids];

    int width = 0;
    int height = 0;
    int slot = 0;
    double lon0 = 0.0;
    double lat0 = 0.0;
    double span = 8.0;
    int referencePixels = 0;

private:
    // trunc(offset * pixels / span) with the product in single precision and
    // the division in double. Far-off and NaN offsets are first brought to a
    // size whose float and int conversions are defined; the callers' clamps
    // then put them on the tile's edge.
    static int pixelOffset(double degrees, int pixels, double span) {
        if (!(degrees == degrees)) degrees = 0.0;
        degrees = std::clamp(degrees, -1.0e5, 1.0e5);
        const float product = static_cast<float>(degrees) * static_cast<float>(pixels);
        return static_cast<int>(static_cast<double>(product) / span);
    }
    std::size_t indexInCell(double lon, double lat) const {
        if (lon < -180.0) lon += 360.0;
        if (lon >= 180.0) lon -= 360.0;
        const float rowProduct = static_cast<float>(lat - lat0) * static_cast<float>(height);
        const float colProduct = static_cast<float>(lon - lon0) * static_cast<float>(width);
        int rowOffset, colOffset;
        if (span == 8.0) {
            rowOffset = static_cast<int>(static_cast<double>(rowProduct) * 0.125);
            colOffset = static_cast<int>(static_cast<double>(colProduct) * 0.125);
        } else {
            rowOffset = static_cast<int>(static_cast<double>(rowProduct) / span);
            colOffset = static_cast<int>(static_cast<double>(colProduct) / span);
        }
        const int row = std::clamp((kRows - 1) - rowOffset, 0, height - 1);
        const int col = std::clamp(colOffset, 0, width - 1);
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(col);
    }
    std::size_t cellIndex(double lon, double lat) const {
        return static_cast<std::size_t>(rowOf(lat)) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(colOf(lon));
    }

    std::vector<std::uint16_t> codes_;
    std::vector<std::uint8_t> coverage_;
    std::uint64_t coverageVersion_ = 0;
    // Rows [passRowsFrom_, passRowsTo_) may hold pass bits; none outside.
    int passRowsFrom_ = kRows;
    int passRowsTo_ = 0;
    const std::uint64_t coverageIdentity_ = nextCoverageIdentity();
    static std::uint64_t nextCoverageIdentity();
};

}  // namespace tessarin
