// Picture tiles: the input is the PNG picture of one cell, staged into the
// slot's texture by the tile store, in a cell of the full-width band or a
// polar one whose pictures are stored at half width.
// Chunk checksums are made right first (see withPngCrcs).

#include <sstream>

#include "FuzzFiles.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"

using namespace tessarin;

namespace {

std::string pictureName(int lon0, int lat0) {
    return "Tile_8png_i/BI_8_" + std::to_string(lon0) + "_" + std::to_string(lat0) + "_1920.png";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::ostringstream out;
    static NullTextureSink sink;
    static TileStore tiles(out, sink, fuzz::scratchFolder());
    out.str("");
    // A full picture costs a decode and two texture-sized copies, so each
    // input feeds one band, picked by its length (bytes after the end chunk
    // are ignored by the decoder, so the fuzzer can reach both).
    const bool polar = size % 2 == 1;
    const float lat0 = polar ? 56.0f : 16.0f;
    fuzz::writeFile(pictureName(8, static_cast<int>(lat0)),
                    fuzz::withPngCrcs(std::string_view(reinterpret_cast<const char*>(data), size)));
    const int uploads = sink.uploadCount;
    if (tiles.loadTileImage(lat0, 8.0f, 3)) {
        fuzz::require(sink.uploadCount == uploads + 1 && sink.lastUploadWidth == (polar ? 1024 : 2048) &&
                          sink.lastUploadHeight == 2048 && sink.lastUploadChannels == 3,
                      "a staged picture is uploaded in its band's texture shape");
    } else {
        fuzz::require(sink.uploadCount == uploads, "a refused picture uploads nothing");
    }
    return 0;
}
