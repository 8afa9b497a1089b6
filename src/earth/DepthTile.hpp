#pragma once
// One resident 8 x 8 degree data tile: depth codes, coverage bytes and the
// fine sub-grids of the coverage accounting.
// Rows run north (row 0) to south; a full tile is 1920 x 1920 pixels of
// 15 arc-seconds. Elevation in metres = code / 3 - 12000, negative below sea
// level.

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

    // Reads the data tile "<root>Tile_8png_d/BD_8_<lon0>_<lat0>_1920.png".
    // Prints "READ DATA MAP FILE NAME ..." and "Multibeam pixels ..." to out.
    // False when the file is missing (no message), cannot be decoded or has
    // the wrong size (a message naming the file).
    bool loadData(const std::string& root, std::ostream& out);

    // Elevation in metres of the pixel cell holding (lon, lat) degrees.
    float elevationAt(double lon, double lat) const;

    // Coverage byte of the pixel cell holding (lon, lat); 0 without rows.
    std::uint8_t coverageAt(double lon, double lat) const;

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
    int rowOf(double lat) const;
    int colOf(double lon) const;

    std::uint16_t* codeRow(int row) { return codes_.data() + static_cast<std::size_t>(row) * width; }
    // Handing out a writable row counts as a coverage change (see coverageVersion).
    std::uint8_t* coverageRow(int row) {
        ++coverageVersion_;
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
    void coverageChanged() { ++coverageVersion_; }
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
    std::vector<std::uint16_t> codes_;
    std::vector<std::uint8_t> coverage_;
    std::uint64_t coverageVersion_ = 0;
    const std::uint64_t coverageIdentity_ = nextCoverageIdentity();
    static std::uint64_t nextCoverageIdentity();
};

}  // namespace tessarin
