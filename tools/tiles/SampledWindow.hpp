#pragma once
// The part of a grid under a band of output pixels (a row of 8-degree cells
// and a one-pixel margin round them), read once and then looked up per
// output pixel. Each output pixel takes the grid pixel holding its centre,
// so a 15 arc-second grid maps one to one onto the tiles and coarser or
// finer grids are sampled to the nearest pixel. Output pixels outside the
// grid or beyond a pole have no value.
//
// Only the grid rows and columns under the band are held: for the widest
// band of 72 degrees of a 15 arc-second grid that is 17,282 x 1,922 values.

#include "GridSource.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace tessarin::tiles {

template <typename T>
class SampledWindow {
public:
    // Output pixels are square, deg degrees a side; (west, north) is the
    // north-west corner of output pixel (0, 0).
    bool load(GridSource& grid, double west, double north, double deg, int cols, int rows, std::string& error);

    bool has(int r, int c) const { return rowSrc_[r] >= 0 && colSeg_[c] >= 0; }
    // Value of output pixel (r, c); only where has(r, c).
    T at(int r, int c) const {
        const Segment& s = segments_[colSeg_[c]];
        return s.values[static_cast<std::size_t>(rowSrc_[r] - rowMin_) * s.width + (colSrc_[c] - s.col0)];
    }
    // Whether any pixel of the output rectangle [r0, r1) x [c0, c1) lies in the grid.
    bool anyIn(int r0, int r1, int c0, int c1) const;
    std::size_t heldValues() const;

private:
    struct Segment {
        int col0 = 0;
        std::size_t width = 0;
        std::vector<T> values;
    };
    std::vector<int> rowSrc_, colSrc_, colSeg_;
    std::vector<Segment> segments_;
    int rowMin_ = 0;
};

extern template class SampledWindow<float>;
extern template class SampledWindow<std::uint8_t>;

}  // namespace tessarin::tiles
