#include "GridAverage.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tessarin::tiles {

bool averagedGrid(GridSource& source, double west, double north, double degPerCol, double degPerRow, int width,
                  int height, tilekit::ElevationGrid& grid, std::string& error) {
    grid.reset(width, height, north, degPerCol, degPerRow, std::numeric_limits<float>::quiet_NaN());
    // Grid pixel spans [first, last] of each output column and row; index
    // o is column (or row) o - 1 of the area, so 0 is the margin.
    const int outCols = width + 2, outRows = height + 2;
    std::vector<int> colFirst(outCols, -1), colLast(outCols, -1), rowFirst(outRows, -1), rowLast(outRows, -1);
    auto span = [](double from, double to, int count, int nearest, int& first, int& last) {
        // Pixel k's centre lies at k + 0.5 in grid units: from <= k + 0.5 < to.
        first = std::max(0, static_cast<int>(std::ceil(from - 0.5)));
        last = std::min(count - 1, static_cast<int>(std::ceil(to - 0.5)) - 1);
        if (first > last) first = last = nearest;
    };
    for (int o = 0; o < outCols; ++o) {
        const double left = west + (o - 1) * degPerCol;
        const double shift = source.shiftFor(left + 0.5 * degPerCol);
        if (std::isnan(shift)) continue;
        span((left + shift - source.west()) / source.dx(), (left + degPerCol + shift - source.west()) / source.dx(),
             source.cols(), source.columnOf(left + 0.5 * degPerCol), colFirst[o], colLast[o]);
    }
    for (int o = 0; o < outRows; ++o) {
        const double top = north - (o - 1) * degPerRow;
        if (top - 0.5 * degPerRow > 90.0 || top - 0.5 * degPerRow < -90.0) continue;
        span((source.north() - top) / source.dy(), (source.north() - top + degPerRow) / source.dy(), source.rows(),
             source.rowOf(top - 0.5 * degPerRow), rowFirst[o], rowLast[o]);
    }
    // Runs of output columns whose grid columns climb without a break (a
    // global grid's seam starts a new run).
    struct Run {
        int o0, o1;  // output columns [o0, o1)
        int col0, col1;  // grid columns [col0, col1]
    };
    std::vector<Run> runs;
    for (int o = 0; o < outCols; ++o) {
        if (colFirst[o] < 0) continue;
        if (!runs.empty() && runs.back().o1 == o && colFirst[o] >= colFirst[o - 1] &&
            colFirst[o] - runs.back().col1 <= 16) {
            runs.back().o1 = o + 1;
            runs.back().col1 = std::max(runs.back().col1, colLast[o]);
        } else {
            runs.push_back({o, o + 1, colFirst[o], colLast[o]});
        }
    }
    constexpr int kStripRows = 512;  // grid rows read at a time
    std::vector<float> strip;
    int o = 0;
    while (o < outRows) {
        if (rowFirst[o] < 0) {
            ++o;
            continue;
        }
        // Output rows [o, end) whose grid rows fit one strip.
        int low = rowFirst[o], high = rowLast[o], end = o + 1;
        while (end < outRows && rowFirst[end] >= 0 &&
               std::max(high, rowLast[end]) - std::min(low, rowFirst[end]) < kStripRows) {
            low = std::min(low, rowFirst[end]);
            high = std::max(high, rowLast[end]);
            ++end;
        }
        for (const Run& run : runs) {
            const std::size_t stride = static_cast<std::size_t>(run.col1 - run.col0 + 1);
            strip.resize(stride * static_cast<std::size_t>(high - low + 1));
            if (!source.readValues(run.col0, low, static_cast<int>(stride), high - low + 1, strip.data(), stride, error))
                return false;
            for (int orow = o; orow < end; ++orow) {
                for (int ocol = run.o0; ocol < run.o1; ++ocol) {
                    double sum = 0.0;
                    int count = 0;
                    for (int r = rowFirst[orow]; r <= rowLast[orow]; ++r) {
                        const float* row = &strip[static_cast<std::size_t>(r - low) * stride];
                        for (int c = colFirst[ocol]; c <= colLast[ocol]; ++c) {
                            const float v = row[c - run.col0];
                            if (std::isnan(v)) continue;
                            sum += v;
                            ++count;
                        }
                    }
                    if (count > 0) grid.at(orow - 1, ocol - 1) = static_cast<float>(sum / count);
                }
            }
        }
        o = end;
    }
    return true;
}

}  // namespace tessarin::tiles
