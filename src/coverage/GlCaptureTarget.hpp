#pragma once
// The capture target of the graphics library. By default every block is
// drawn once into a framebuffer object of the block's size and read back
// once, so the window neither flickers nor cuts a block taller than itself.
// The back-buffer method (each block drawn `repeats` times into the window's
// buffer with a swap after each draw, then read) is kept as the measured
// baseline of the capture benchmark.
//
// Needs a current GL context for every call, including the destructor.

#include <functional>

#include "coverage/CaptureTarget.hpp"

namespace tessarin {

class SceneRenderer;

class GlCaptureTarget : public CaptureTarget {
public:
    // scene is kept for callers that hand one over; blocks draw the strips
    // they are given.
    explicit GlCaptureTarget(SceneRenderer* scene);
    // The back-buffer method; swap is called after every draw.
    GlCaptureTarget(SceneRenderer* scene, std::function<void()> swap);
    ~GlCaptureTarget() override;
    GlCaptureTarget(const GlCaptureTarget&) = delete;
    GlCaptureTarget& operator=(const GlCaptureTarget&) = delete;

    bool captureSwathBlock(const SwathStrip* strips, int stripCount, double x, double y, int pixelsPerUnit,
                           int size, int repeats, std::uint8_t* rgb) override;
    // Draws and reads only the pixels near the strips' vertices (the
    // rasteriser lights no pixel beyond them); the back-buffer method
    // captures the whole block.
    bool captureSwathPart(const SwathStrip* strips, int stripCount, double x, double y, int pixelsPerUnit, int size,
                          int repeats, std::uint8_t* rgb, PixelRect& lit) override;
    bool captureStatsBlock(const SwathStrip* strips, int stripCount, double x, double y, int pixelsPerUnit,
                           int size, int repeats, std::uint8_t* rgb) override;

    // Blocks drawn and blocks skipped because no strip reached them.
    long drawnBlocks() const { return drawnBlocks_; }
    long skippedBlocks() const { return skippedBlocks_; }

private:
    struct Framebuffer {
        unsigned fbo = 0;
        unsigned colour = 0;
        int size = 0;
    };
    // Binds the block's framebuffer (made on first use); false when the
    // driver refuses it.
    bool bindFramebuffer(int size);
    // Runs draw once (framebuffer) or repeats times with swaps (back buffer)
    // in the block's pixel projection, then reads the block into rgb.
    // Whether a strip reaches the block; counts the skipped ones.
    bool anyStripReaches(const SwathStrip* strips, int stripCount, double x, double y, int pixelsPerUnit, int size);
    // Only the pixels of part are cleared, drawn and read (rows of the whole
    // block's width in rgb).
    template <typename Draw>
    bool renderBlock(double x, double y, int pixelsPerUnit, int size, int repeats, std::uint8_t* rgb,
                     const PixelRect& part, Draw draw);

    SceneRenderer* scene_;
    std::function<void()> swap_;
    bool backBuffer_ = false;
    Framebuffer framebuffers_[2];
    long drawnBlocks_ = 0;
    long skippedBlocks_ = 0;
};

}  // namespace tessarin
