#pragma once
// Turns the world into the planner's image files: data tiles (depth code in
// red and green, reference flag in blue), shaded picture tiles of the same
// cells, the 72-degree overview pictures and the globe tiles.

#include "DataTile.hpp"
#include "ReferenceSurvey.hpp"
#include "WorldLayout.hpp"
#include "WorldModel.hpp"

#include <cstdint>
#include <vector>

namespace tessarin::worldgen {

using tilekit::depthCodeOf;
using tilekit::pictureWidthFor;

struct CellImages {
    std::vector<std::uint8_t> dataRgba;    // 1920 x 1920
    std::vector<std::uint8_t> pictureRgb;  // pictureWidth x 1920
    int pictureWidth = 1920;
    long referencePixels = 0;
};

// Renders the 8-degree cell with south-west corner (lon0, lat0).
void renderCell(const WorldModel& world, const ReferenceSurvey& survey, int lon0, int lat0, bool wantData,
                bool wantPicture, CellImages& out);

// Renders a shaded picture of width x height pixels covering lonSpan x
// latSpan degrees from the south-west corner (lon0, lat0), with noise down to
// the given wavelength (for overview and globe pictures).
void renderPicture(const WorldModel& world, double lon0, double lat0, double lonSpan, double latSpan, int width,
                   int height, const Detail& detail, std::vector<std::uint8_t>& rgb);

}  // namespace tessarin::worldgen
