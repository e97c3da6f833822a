#include "ShaderPrograms.h"

#include "WebGL.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Every variant is this source after its #defines: TEXTURED, and BORDER_S and BORDER_T for
// GL_CLAMP on that axis.
const char* const vertexSource = R"(
attribute vec4 position;
attribute vec4 colour;
uniform mat4 mvp;
varying vec4 vColour;
#ifdef TEXTURED
attribute vec2 texCoord;
varying vec2 vTexCoord;
#endif
void main() {
    gl_Position = mvp * position;
    vColour = colour;
#ifdef TEXTURED
    vTexCoord = texCoord;
#endif
}
)";

// GL_MODULATE. With GL_CLAMP the coordinate is clamped to [0, 1] and the linear filter at the
// edge mixes the edge texel with a border of (0, 0, 0, 0): within half a texel of the edge the
// border takes up to half the weight on each axis.
const char* const fragmentSource = R"(
precision highp float;
varying vec4 vColour;
#ifdef TEXTURED
uniform sampler2D image;
uniform vec2 size;
varying vec2 vTexCoord;
#endif
void main() {
    vec4 colour = vColour;
#ifdef TEXTURED
    vec2 uv = vTexCoord;
    vec2 weight = vec2(0.0);
#ifdef BORDER_S
    uv.x = clamp(uv.x, 0.0, 1.0);
    float s = uv.x * size.x - 0.5;
    weight.x = max(-s, 0.0) + max(s - (size.x - 1.0), 0.0);
#endif
#ifdef BORDER_T
    uv.y = clamp(uv.y, 0.0, 1.0);
    float t = uv.y * size.y - 0.5;
    weight.y = max(-t, 0.0) + max(t - (size.y - 1.0), 0.0);
#endif
    colour *= texture2D(image, uv) * (1.0 - weight.x) * (1.0 - weight.y);
#endif
    gl_FragColor = colour;
}
)";

const char* const variantDefines[] = {
    "",
    "#define TEXTURED\n",
    "#define TEXTURED\n#define BORDER_S\n",
    "#define TEXTURED\n#define BORDER_T\n",
    "#define TEXTURED\n#define BORDER_S\n#define BORDER_T\n",
};

GLuint compile(GLenum kind, const char* defines, const char* source) {
    const GLuint shader = emscripten_glCreateShader(kind);
    const char* const parts[] = {defines, source};
    emscripten_glShaderSource(shader, 2, parts, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "WebGL: shader does not compile: %s\n", log);
    }
    return shader;
}

} // namespace

ShaderPrograms::Variant ShaderPrograms::variantFor(bool textured, bool clampS, bool clampT) {
    if (!textured) {
        return Plain;
    }
    return clampS ? (clampT ? BorderST : BorderS) : (clampT ? BorderT : Textured);
}

void ShaderPrograms::build() {
    for (int variant = 0; variant < Variants; ++variant) {
        Program& p = programs[variant];
        p = Program{};
        p.id = emscripten_glCreateProgram();
        const GLuint vs = compile(GL_VERTEX_SHADER, variantDefines[variant], vertexSource);
        const GLuint fs = compile(GL_FRAGMENT_SHADER, variantDefines[variant], fragmentSource);
        emscripten_glAttachShader(p.id, vs);
        emscripten_glAttachShader(p.id, fs);
        emscripten_glBindAttribLocation(p.id, PositionAttribute, "position");
        emscripten_glBindAttribLocation(p.id, ColourAttribute, "colour");
        emscripten_glBindAttribLocation(p.id, TexCoordAttribute, "texCoord");
        emscripten_glLinkProgram(p.id);
        emscripten_glDeleteShader(vs);
        emscripten_glDeleteShader(fs);
        emscripten_glUseProgram(p.id);
        p.mvpLocation = emscripten_glGetUniformLocation(p.id, "mvp");
        p.sizeLocation = emscripten_glGetUniformLocation(p.id, "size");
        if (variant != Plain) {
            emscripten_glUniform1i(emscripten_glGetUniformLocation(p.id, "image"), 0);
        }
        // A matrix no draw can have, so that the first draw sets it.
        for (int i = 0; i < 16; ++i) {
            p.mvp[i] = NAN;
        }
    }
    emscripten_glUseProgram(0);
    current = Variants;
    emscripten_glEnableVertexAttribArray(PositionAttribute);
    emscripten_glEnableVertexAttribArray(ColourAttribute);
}

ShaderPrograms::~ShaderPrograms() {
    for (const Program& p : programs) {
        if (p.id != 0) {
            emscripten_glDeleteProgram(p.id);
        }
    }
}

void ShaderPrograms::rebuild() {
    for (const Program& p : programs) {
        zokk_forget(p.id, 0);
    }
    build();
}

void ShaderPrograms::use(Variant variant, const Matrix& mvp, float width, float height) {
    Program& p = programs[variant];
    if (current != variant) {
        emscripten_glUseProgram(p.id);
        const bool hadTexCoords = current != Plain && current != Variants;
        if (hadTexCoords != (variant != Plain)) {
            variant == Plain ? emscripten_glDisableVertexAttribArray(TexCoordAttribute)
                             : emscripten_glEnableVertexAttribArray(TexCoordAttribute);
        }
        current = variant;
    }
    // Compared byte for byte: the NaNs of a fresh program differ from every matrix.
    if (std::memcmp(mvp.data(), p.mvp.data(), sizeof(float) * 16) != 0) {
        emscripten_glUniformMatrix4fv(p.mvpLocation, 1, GL_FALSE, mvp.data());
        p.mvp = mvp;
    }
    if (variant >= BorderS && (width != p.size[0] || height != p.size[1])) {
        emscripten_glUniform2f(p.sizeLocation, width, height);
        p.size[0] = width;
        p.size[1] = height;
    }
}
