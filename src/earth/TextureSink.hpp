#pragma once
// The seam between the tile store and the graphics library. The tile store
// decodes pictures and coverage grids into staging buffers and hands them to a
// sink; the GL sink uploads them as textures, the null sink drops them (tests
// and tools that have no GL context).

#include <cstdint>

namespace tessarin {

enum class TextureEnv { Replace, Modulate };

class TextureSink {
public:
    virtual ~TextureSink() = default;
    // Fills names[0..count-1] with fresh texture names.
    virtual void generateNames(unsigned* names, int count) = 0;
    // Uploads a width x height image, level 0, repeat wrap, linear filtering.
    // channels: 1 (red), 3 (RGB) or 4 (RGBA); rows tightly packed.
    virtual void upload(unsigned name, int width, int height, int channels,
                        const std::uint8_t* pixels, TextureEnv env) = 0;
};

// A sink that hands out increasing names and remembers only the shape of the
// last upload, for code that runs without a GL context.
class NullTextureSink : public TextureSink {
public:
    void generateNames(unsigned* names, int count) override {
        for (int i = 0; i < count; ++i) names[i] = ++lastName_;
    }
    void upload(unsigned name, int width, int height, int channels,
                const std::uint8_t*, TextureEnv env) override {
        lastUploadName = name;
        lastUploadWidth = width;
        lastUploadHeight = height;
        lastUploadChannels = channels;
        lastUploadEnv = env;
        ++uploadCount;
    }

    unsigned lastUploadName = 0;
    int lastUploadWidth = 0;
    int lastUploadHeight = 0;
    int lastUploadChannels = 0;
    TextureEnv lastUploadEnv = TextureEnv::Replace;
    int uploadCount = 0;

private:
    unsigned lastName_ = 0;
};

}  // namespace tessarin
