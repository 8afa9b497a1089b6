#pragma once
// The coverage dots of the last frame kept as a picture of the window, so
// that a frame with the same view and the same coverage lays that picture
// over the map instead of drawing the dots again: a still coverage view then
// costs one pass over the tiles' part of the window whatever the coverage.
//
// The dots are drawn in the window's own framebuffer, as without the layer,
// on a cleared patch: what lay under the patch is copied aside first and put
// back under the dots afterwards. Drawing in the same framebuffer keeps the
// rasteriser's rules (its orientation and rounding) those of a frame without
// the layer, so the pixels are the same. No dot is black: black in the kept
// picture is "no dot".
//
// Needs GLSL 1.30; available() is false without it, and the caller then
// draws the dots every frame.

#include <cstdint>
#include <functional>
#include <vector>

namespace tessarin {

class CoverageDotLayer {
public:
    CoverageDotLayer() = default;
    CoverageDotLayer(const CoverageDotLayer&) = delete;
    CoverageDotLayer& operator=(const CoverageDotLayer&) = delete;
    ~CoverageDotLayer();  // makes no GL call (see CoverageDotTextures)

    // Builds the program on the first call; false when the context cannot.
    bool available();

    // What a frame's dots depend on, in words compared as they are: the
    // transform, the viewport, which cells are drawn where and how, and the
    // build counts of the kept dots. Equal keys give equal dots.
    using Key = std::vector<std::uint64_t>;

    // Lays the dots of a frame with `key` over the window patch x, y, w, h
    // (window pixels, inside the viewport): from the kept picture when the
    // key is that of the picture, else drawing them with draw() and keeping
    // them. Returns whether the kept picture served.
    bool lay(const Key& key, int x, int y, int w, int h, const std::function<void()>& draw);

    // Forgets the kept picture (the next frame draws the dots).
    void forget() { key_.clear(); }

    // How many times the dots were drawn into the picture, for tests.
    long captures() const { return captures_; }

private:
    void sizeTextures(int w, int h);
    void compose(bool withBackground, int x, int y, int w, int h);

    int state_ = 0;  // 0 not tried, 1 ready, -1 unavailable
    unsigned program_ = 0;
    int uDots_ = -1, uBackground_ = -1, uWithBackground_ = -1, uOrigin_ = -1;
    unsigned dots_ = 0;        // the kept picture, RGBA
    unsigned background_ = 0;  // what lay under the patch while drawing
    int texW_ = 0, texH_ = 0;
    Key key_;
    int x_ = 0, y_ = 0, w_ = 0, h_ = 0;
    long captures_ = 0;
};

}  // namespace tessarin
