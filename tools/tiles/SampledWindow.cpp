#include "SampledWindow.hpp"

#include <algorithm>

namespace tessarin::tiles {

namespace {

bool readInto(GridSource& grid, int col, int row, int count, int rowCount, float* out, std::size_t stride,
              std::string& error) {
    return grid.readValues(col, row, count, rowCount, out, stride, error);
}
bool readInto(GridSource& grid, int col, int row, int count, int rowCount, std::uint8_t* out, std::size_t stride,
              std::string& error) {
    return grid.readBytes(col, row, count, rowCount, out, stride, error);
}

}  // namespace

template <typename T>
bool SampledWindow<T>::load(GridSource& grid, double west, double north, double deg, int cols, int rows,
                            std::string& error) {
    rowSrc_.assign(static_cast<std::size_t>(rows), -1);
    colSrc_.assign(static_cast<std::size_t>(cols), -1);
    colSeg_.assign(static_cast<std::size_t>(cols), -1);
    segments_.clear();
    int rowMax = -1;
    rowMin_ = grid.rows();
    for (int r = 0; r < rows; ++r) {
        rowSrc_[r] = grid.rowOf(north - (r + 0.5) * deg);
        if (rowSrc_[r] < 0) continue;
        rowMin_ = std::min(rowMin_, rowSrc_[r]);
        rowMax = std::max(rowMax, rowSrc_[r]);
    }
    if (rowMax < 0) return true;
    // Runs of output columns whose grid columns climb without a break; a
    // global grid's seam (east edge to west edge) starts a new run, so the
    // one-pixel margin across it does not pull in the whole width.
    for (int c = 0; c < cols; ++c) {
        colSrc_[c] = grid.columnOf(west + (c + 0.5) * deg);
        if (colSrc_[c] < 0) continue;
        const bool extends = c > 0 && colSeg_[c - 1] >= 0 && colSrc_[c] >= colSrc_[c - 1] &&
                             colSrc_[c] - colSrc_[c - 1] <= 16;
        if (!extends) {
            segments_.push_back(Segment{});
            segments_.back().col0 = colSrc_[c];
        }
        colSeg_[c] = static_cast<int>(segments_.size()) - 1;
        Segment& s = segments_.back();
        s.width = static_cast<std::size_t>(colSrc_[c] - s.col0 + 1);
    }
    const int rowCount = rowMax - rowMin_ + 1;
    for (Segment& s : segments_) {
        s.values.assign(s.width * static_cast<std::size_t>(rowCount), T{});
        if (!readInto(grid, s.col0, rowMin_, static_cast<int>(s.width), rowCount, s.values.data(), s.width, error))
            return false;
    }
    return true;
}

template <typename T>
bool SampledWindow<T>::anyIn(int r0, int r1, int c0, int c1) const {
    bool row = false, col = false;
    for (int r = std::max(r0, 0); r < std::min<int>(r1, static_cast<int>(rowSrc_.size())) && !row; ++r)
        row = rowSrc_[r] >= 0;
    for (int c = std::max(c0, 0); c < std::min<int>(c1, static_cast<int>(colSeg_.size())) && !col; ++c)
        col = colSeg_[c] >= 0;
    return row && col;
}

template <typename T>
std::size_t SampledWindow<T>::heldValues() const {
    std::size_t n = 0;
    for (const Segment& s : segments_) n += s.values.size();
    return n;
}

template class SampledWindow<float>;
template class SampledWindow<std::uint8_t>;

}  // namespace tessarin::tiles
