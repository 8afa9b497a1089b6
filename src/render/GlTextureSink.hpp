#pragma once
// Uploads the tile store's pictures and coverage grids as OpenGL textures.
// Needs a current GL context on the calling thread.

#include "earth/TextureSink.hpp"

namespace tessarin {

class GlTextureSink : public TextureSink {
public:
    void generateNames(unsigned* names, int count) override;
    void upload(unsigned name, int width, int height, int channels,
                const std::uint8_t* pixels, TextureEnv env) override;
};

}  // namespace tessarin
