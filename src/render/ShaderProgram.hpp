#pragma once
// A GLSL program from a vertex and a fragment shader, for the drawing paths
// that have one beside a fixed-function fallback.

namespace tessarin {

// The linked program, or 0 when the context is older than GL 3 or a shader
// does not compile or link; failures are said on standard error as
// "coverage view: <what> ..., <fallback>".
unsigned buildShaderProgram(const char* vertexSource, const char* fragmentSource, const char* what,
                            const char* fallback);

}  // namespace tessarin
