#pragma once
// A texture sink for tests that keeps a copy of every upload, so that the
// shape and the texels of picture, coverage and overview textures can be
// checked without a GL context.

#include <cstdint>
#include <vector>

#include "earth/TextureSink.hpp"

namespace tessarin::test {

struct RecordedUpload {
    unsigned name = 0;
    int width = 0;
    int height = 0;
    int channels = 0;
    TextureEnv env = TextureEnv::Replace;
    std::vector<std::uint8_t> pixels;

    const std::uint8_t* texel(int row, int col) const {
        return pixels.data() + (static_cast<std::size_t>(row) * width + col) * channels;
    }
};

class RecordingSink : public TextureSink {
public:
    void generateNames(unsigned* names, int count) override {
        for (int i = 0; i < count; ++i) names[i] = ++lastName_;
        namesGenerated += count;
    }
    void upload(unsigned name, int width, int height, int channels, const std::uint8_t* pixels,
                TextureEnv env) override {
        RecordedUpload u{name, width, height, channels, env, {}};
        u.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * channels);
        uploads.push_back(std::move(u));
    }

    std::vector<RecordedUpload> uploads;
    int namesGenerated = 0;

private:
    unsigned lastName_ = 0;
};

}  // namespace tessarin::test
