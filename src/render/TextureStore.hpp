#pragma once
// The images that are not map data: logos, button and banner images, the
// globe tiles, and the lit globe of the busy screen with its sphere meshes.
//
// Sphere meshes are unit spheres indexed [ring][point]: rings run from the
// south pole to the north pole, points eastwards from longitude 0 to 360
// (the last point repeats the first). Window drawing is in pixels with the
// origin at the bottom-left.
//
// Built before the window exists (the meshes and buffers need no GL); the
// loads and draws need the GL context.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "render/ViewRecord.hpp"

namespace tessarin {

class TextureStore {
public:
    static constexpr int kSlotCount = 54;           // slots are 1..53
    static constexpr int kBufferBytes = 16777216;   // each of the two image buffers
    static constexpr int kLogoSide = 450;           // raw logo files are 450 x 450 RGB
    static constexpr int kLogoTextureSide = 512;
    static constexpr int kGlobeTileWidth = 1800;    // globe tiles: 1800 x 960 pixels
    static constexpr int kGlobeTileHeight = 960;
    static constexpr int kFirstGlobeTileSlot = 25;  // 25..27 southern band, 28..30 northern
    static constexpr int kGlobeCapSlot = 11;        // slots 1..10 are the globe's blocks

    static constexpr int kFineRings = 91, kFinePoints = 181;      // 2-degree steps
    static constexpr int kMediumRings = 61, kMediumPoints = 121;  // 3-degree steps
    static constexpr int kCoarseRings = 23, kCoarsePoints = 46;   // 8-degree steps

    // root is prepended to every image path ("" = the working directory;
    // otherwise it ends with '/').
    explicit TextureStore(std::ostream& out, std::string root = "");
    ~TextureStore();
    TextureStore(const TextureStore&) = delete;
    TextureStore& operator=(const TextureStore&) = delete;

    // A 450 x 450 raw RGB logo into the top-left of a 512 x 512 RGBA texture.
    // A missing file is skipped silently. False when nothing was uploaded.
    bool loadLogo(const std::string& path, int slot);
    // A width x height raw RGB image into an RGBA texture of that size; pixels
    // whose red value is below 30 are transparent (the colour key).
    bool loadButtonImage(const std::string& path, int width, int height, int slot);
    // The six globe tiles around (lat, lon) in degrees, into slots 25..30.
    // Missing tiles leave their slots as they were. Returns the number loaded.
    int loadGlobeTiles(double lat, double lon);

    // Image quads in window pixels: (x, y) is the bottom-left corner.
    void drawImage(float x, float y, float w, float h, int slot);
    void drawTintedImage(float x, float y, float w, float h, int slot);
    // The lit, textured globe; rotation about the vertical axis and tilt
    // towards the viewer, degrees.
    void drawGlobe(float rotation, float tilt);
    // The whole busy frame, drawn in the globe projection the last frame
    // left; ends with the frame-end action (see setBusyFrameEnd).
    void drawBusyScreen(const ViewRecord& app);
    // What ends a busy frame: restoring the globe projection and swapping the
    // buffers belong to the shell, which sets this once at start-up.
    void setBusyFrameEnd(std::function<void()> end) { busyFrameEnd_ = std::move(end); }

    // Lets a slot draw a texture that another owner loaded (the globe's
    // blocks can show the map's ten overview pictures).
    void shareTexture(int slot, unsigned name);
    // The GL texture name of a slot; 0 before the first upload or for an
    // unused slot.
    unsigned textureName(int slot) const;

    // Tile longitudes (degrees) of one band, west to east, and where the two
    // bands of a latitude lie (south edges, degrees).
    static void globeBands(double lat, int& southBand, int& northBand);
    static void globeTileLongitudes(int band, double lon, int longitudes[3]);

    // Sphere meshes (unit radius).
    float fineX[kFineRings][kFinePoints];
    float fineY[kFineRings][kFinePoints];
    float fineZ[kFineRings][kFinePoints];
    float mediumX[kMediumRings][kMediumPoints];
    float mediumY[kMediumRings][kMediumPoints];
    float mediumZ[kMediumRings][kMediumPoints];
    float coarseX[kCoarseRings][kCoarsePoints];
    float coarseY[kCoarseRings][kCoarsePoints];
    float coarseZ[kCoarseRings][kCoarsePoints];

private:
    std::FILE* openRaw(const std::string& path) const;
    // Reads bytes bytes of an open raw file into the image buffer and closes
    // it; the part a short file lacks is zero (and reported).
    void readRaw(std::FILE* f, const std::string& path, std::size_t bytes);
    bool ensureNames(int slot);
    void bindSlot(int slot);
    void drawStrip(float x, float y, float w, float h, float s0, float s1, float t0, float t1);

    std::ostream& out_;
    std::string root_;
    std::vector<std::uint8_t> image_;    // raw file bytes
    std::vector<std::uint8_t> staging_;  // textures put together before upload
    unsigned names_[kSlotCount] = {};
    bool namesMade_ = false;
    std::function<void()> busyFrameEnd_;
};

}  // namespace tessarin
