#pragma once
// The echosounder's extinction curve: swath width as a multiple of water
// depth, tabulated by depth in 10 m cells.
// Cell i holds the multiplier for depth (i - 400) * 10 metres, depth positive
// down: cell 0 is 4000 m above sea level, cell 400 sea level, cell 1499 is
// 10990 m deep.

#include <ostream>
#include <string>

namespace tessarin {

struct ExtinctionCurve {
    static constexpr int kCells = 1500;
    static constexpr int kSeaLevelCell = 400;
    static constexpr int kMaxRows = 30;
    // What a cell holds when no row pair of the file covers it.
    static constexpr float kUncovered = 0.5f;

    float table[kCells];

    ExtinctionCurve();

    // The multiplier at an elevation in metres (negative below sea level),
    // read from the 10 m cell without interpolation. Elevations beyond the
    // table read its nearest end cell.
    float swathMultiplierAt(float elevationM) const;
};

// Fills `curve` from the text file `fileName`: white-space separated pairs of
// depth (metres, positive down, strictly increasing) and multiplier, at most
// 30 pairs, interpolated linearly between consecutive rows. When the file
// cannot be opened the whole curve is flat at depthMultiplier. Progress lines
// go to `out`. Returns false when the file could not be opened.
bool loadExtinctionCurve(ExtinctionCurve& curve, const std::string& fileName, float depthMultiplier,
                         std::ostream& out);

}  // namespace tessarin
