#include "render/GlTextureSink.hpp"

#include <GL/gl.h>

namespace tessarin {

void GlTextureSink::generateNames(unsigned* names, int count) {
    if (count > 0) glGenTextures(count, names);
}

void GlTextureSink::upload(unsigned name, int width, int height, int channels,
                           const std::uint8_t* pixels, TextureEnv env) {
    GLenum format = GL_RGB;
    if (channels == 1) {
        format = GL_RED;
    } else if (channels == 4) {
        format = GL_RGBA;
    } else if (channels != 3) {
        return;
    }
    // Rows are tightly packed: a 960-pixel RGB row is not a multiple of 4 bytes.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, env == TextureEnv::Modulate ? GL_MODULATE : GL_REPLACE);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
}

}  // namespace tessarin
