// Data tiles: the input is the PNG file of one cell, read by the decoder and
// then by the tile loader and the lookups, as the tile store does. Chunk
// checksums are made right first (see withPngCrcs).

#include <cmath>
#include <sstream>

#include "FuzzFiles.hpp"
#include "earth/DepthTile.hpp"
#include "earth/PngDecoder.hpp"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string root = fuzz::scratchFolder();
    const std::string name = DepthTile::dataFileName(root, 8, 16);
    fuzz::writeFile(name.substr(root.size()),
                    fuzz::withPngCrcs(std::string_view(reinterpret_cast<const char*>(data), size)));

    const DecodedImage image = decodePng(name);
    if (!image.empty()) {
        fuzz::require(image.width > 0 && image.height > 0, "decoded image has a size");
        fuzz::require(image.rgba.size() == static_cast<std::size_t>(image.width) * image.height * 4,
                      "decoded image holds width x height RGBA pixels");
    }

    std::ostringstream out;
    DepthTile tile(8.0, 16.0, 8.0, 0);
    if (tile.loadData(root, out)) {
        fuzz::require(tile.hasRows() && tile.height == DepthTile::kRows && tile.width <= DepthTile::kMaxWidth,
                      "a loaded tile has full rows");
        for (double lat : {15.0, 16.0, 19.99, 23.999, 24.0, 30.0})
            for (double lon : {7.0, 8.0, 11.5, 15.999, 16.0, 180.0}) {
                fuzz::require(std::isfinite(tile.elevationAt(lon, lat)), "elevation finite");
                tile.coverageAt(lon, lat);
            }
    } else {
        fuzz::require(!tile.hasRows(), "a refused tile holds no rows");
    }
    return 0;
}
