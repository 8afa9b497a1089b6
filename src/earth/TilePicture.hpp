#pragma once
// A picture tile decoded into the texels of a ring slot's picture texture,
// kept apart from the console lines and the upload so that the decode can run
// on any thread and the report and upload on the GUI thread, in load order.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tessarin {

struct TilePicture {
    enum class Status { Ready, Missing, Unreadable, WrongSize };
    static constexpr int kTexRows = 2048;
    static constexpr int kPictureRows = 1920;

    std::string name;                  // the picture file
    Status status = Status::Missing;
    int fileWidth = 0;                 // pixels of a file of the wrong size
    int fileHeight = 0;
    int expectedWidth = 0;             // 1920, or 960 for the half-width polar pictures
    int texWidth = 0;                  // 2048, or 1024 for the polar pictures
    std::vector<std::uint8_t> texels;  // texWidth x kTexRows RGB when Ready
    // The texels are still to be decoded: the file's header was read and
    // shows a picture of the right size (status Ready until the decode says
    // otherwise).
    bool deferred = false;

    // "<root>Tile_8png_i/BI_8_<lon0>_<lat0>_1920.png" of the cell whose south
    // and west edges are lat0 and lon0 (degrees).
    static std::string fileName(const std::string& root, float lat0, float lon0);

    // Reads the cell's picture. Prints nothing and touches nothing shared, so
    // it runs on any thread; running out of memory counts as an unreadable
    // file.
    static TilePicture decode(const std::string& root, float lat0, float lon0);

    // What decode gives when the picture cannot be shown, otherwise a
    // deferred picture that only has its header read: the load line and a
    // failure named by the header are then known without the texels. A file
    // that fails past its header fails only in the decode.
    static TilePicture probe(const std::string& root, float lat0, float lon0);

    // Prints the load line naming the ring slot and, for a picture that
    // cannot be shown, why; true when the texels are ready to upload.
    bool report(std::ostream& out, int slot) const;
    // The lines report prints after the load line for a picture that cannot
    // be shown (none for a Ready one); true when the texels are ready.
    bool reportFailure(std::ostream& out) const;
};

}  // namespace tessarin
