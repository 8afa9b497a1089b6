#include "plan/ExtinctionCurve.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "earth/InputPath.hpp"

namespace tessarin {

namespace {

// Cell of a row depth: depths round to the nearest 10 m cell. Computed in
// double as the table files were calibrated that way, and kept in double so
// that a row far beyond the table still sets the span a pair interpolates
// over (only the cells inside the table are written).
double cellOfRowDepth(float depthM) {
    return std::trunc(static_cast<double>(depthM) / 10.0 + 400.0 + 0.5);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

ExtinctionCurve::ExtinctionCurve() {
    for (float& v : table) v = kUncovered;
}

float ExtinctionCurve::swathMultiplierAt(float elevationM) const {
    // Single precision, truncated toward zero: -1205 m and -1209.9 m both
    // read the 1200 m cell.
    const float index = elevationM / -10.0f + 400.0f;
    // getDepth can answer from -12000 m to +9845 m, beyond both ends of the
    // table; such depths read the nearest end cell (a NaN reads cell 0).
    if (!(index >= 0.0f)) return table[0];
    if (index >= static_cast<float>(kCells - 1)) return table[kCells - 1];
    return table[static_cast<int>(index)];
}

bool loadExtinctionCurve(ExtinctionCurve& curve, const std::string& fileName, float depthMultiplier,
                         std::ostream& out) {
    out << "LOAD Extinction Curve " << fileName << "\n";
    for (float& v : curve.table) v = ExtinctionCurve::kUncovered;

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "r"));
    // A folder opens, then reads as no rows; it is as missing as no file.
    if (!file || isFolder(fileName)) {
        out << "FAILED TO OPEN " << fileName << "\n ";
        out << "USE default " << depthMultiplier << "\n ";
        for (float& v : curve.table) v = depthMultiplier;
        return false;
    }

    // Count the leading numbers; a token that is not a number ends the table
    // (the rows before it are used).
    int count = 0;
    float value = 0.0f;
    while (std::fscanf(file.get(), "%f", &value) == 1) ++count;
    std::rewind(file.get());

    int rows = count / 2;
    // Only 30 rows are held; later rows are ignored.
    if (rows > ExtinctionCurve::kMaxRows) rows = ExtinctionCurve::kMaxRows;
    out << "ROW Count " << rows << "\n";

    float depth[ExtinctionCurve::kMaxRows] = {};
    float multiplier[ExtinctionCurve::kMaxRows] = {};
    for (int i = 0; i < rows; ++i) {
        // A multiplier beyond single precision reads as infinite and would
        // give endless swaths: the table ends there, like at a word.
        if (std::fscanf(file.get(), "%f %f", &depth[i], &multiplier[i]) != 2 || !std::isfinite(multiplier[i])) {
            rows = i;
            break;
        }
        out << depth[i] << "\n";
    }

    for (int i = 0; i + 1 < rows; ++i) {
        if (!std::isfinite(depth[i]) || !std::isfinite(depth[i + 1])) continue;
        const double s = cellOfRowDepth(depth[i]);
        const double e = cellOfRowDepth(depth[i + 1]);
        if (s >= e) continue;  // depths not increasing: the pair writes nothing
        const int first = s > 0.0 ? static_cast<int>(std::min(s, static_cast<double>(ExtinctionCurve::kCells))) : 0;
        const int end = e < ExtinctionCurve::kCells ? static_cast<int>(std::max(e, 0.0)) : ExtinctionCurve::kCells;
        for (int k = first; k < end; ++k) {
            const float t = static_cast<float>(k - s) / static_cast<float>(e - s);
            curve.table[k] = (1.0f - t) * multiplier[i] + t * multiplier[i + 1];
        }
    }
    return true;
}

}  // namespace tessarin
