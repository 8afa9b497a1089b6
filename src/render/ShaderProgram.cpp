#include "render/ShaderProgram.hpp"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

namespace tessarin {
namespace {

GLuint compile(GLenum kind, const char* source, const char* what, const char* fallback) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "coverage view: %s shader not compiled, %s: %s\n", what, fallback, log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

unsigned buildShaderProgram(const char* vertexSource, const char* fragmentSource, const char* what,
                            const char* fallback) {
    // Entry points beyond GL 1.1 are only there in a context of 2.0 or later.
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version == nullptr || std::atoi(version) < 3) return 0;
    const GLuint vs = compile(GL_VERTEX_SHADER, vertexSource, what, fallback);
    const GLuint fs = vs != 0 ? compile(GL_FRAGMENT_SHADER, fragmentSource, what, fallback) : 0;
    if (fs == 0) {
        if (vs != 0) glDeleteShader(vs);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        std::fprintf(stderr, "coverage view: %s program not linked, %s\n", what, fallback);
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

}  // namespace tessarin
