#include "FixedFunction.h"

#include "WebGL.h"

#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

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

// Quads are drawn as two triangles each through one index buffer made once, for blocks of up
// to this many quads (WebGL's indices are 16-bit, and WebGL 2 takes index 65535 to restart
// primitives); a larger block is drawn in parts.
const size_t quadsPerDraw = 16383;

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

// The lit colour of one vertex: the default material (ambient 0.2, diffuse 0.8, no specular
// or emission) under the global ambient 0.2 and every enabled light, without attenuation.
template <typename Light>
void light(const Light& lights, const float eye[3], const float normal[3], float out[4]) {
    const float materialAmbient = 0.2f;
    const float materialDiffuse = 0.8f;
    float sum[3] = {0.2f * materialAmbient, 0.2f * materialAmbient, 0.2f * materialAmbient};
    for (const auto& l : lights) {
        if (!l.enabled) {
            continue;
        }
        float direction[3] = {l.position[0], l.position[1], l.position[2]};
        if (l.position[3] != 0.0f) {
            for (int i = 0; i < 3; ++i) {
                direction[i] = l.position[i] / l.position[3] - eye[i];
            }
        }
        const float length = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] +
                                       direction[2] * direction[2]);
        float facing = 0.0f;
        if (length > 0.0f) {
            facing =
                (normal[0] * direction[0] + normal[1] * direction[1] + normal[2] * direction[2]) /
                length;
        }
        facing = std::fmax(facing, 0.0f);
        for (int i = 0; i < 3; ++i) {
            sum[i] += materialAmbient * l.ambient[i] + facing * materialDiffuse * l.diffuse[i];
        }
    }
    for (int i = 0; i < 3; ++i) {
        out[i] = std::fmin(std::fmax(sum[i], 0.0f), 1.0f);
    }
    out[3] = 1.0f; // the material's diffuse alpha
}

unsigned char level(float value) {
    return static_cast<unsigned char>(std::fmin(std::fmax(value, 0.0f), 1.0f) * 255.0f + 0.5f);
}

int channelsOf(GLenum format) {
    switch (format) {
    case GL_LUMINANCE_ALPHA:
        return 2;
    case GL_RGB:
        return 3;
    case GL_RGBA:
        return 4;
    default:
        return 1;
    }
}

// The demo never sets a normal; OpenGL's current normal stays (0, 0, 1).
const float objectNormal[3] = {0.0f, 0.0f, 1.0f};

} // namespace

FixedFunction::FixedFunction() {
    build();
    // Light 0 alone starts with a white diffuse colour.
    state.lights[0].diffuse = {1, 1, 1, 1};
}

void FixedFunction::build() {
    // Every variant is made now, while there is a context: WebGL makes nothing while the
    // context is lost, and a variant may be drawn with first then.
    for (int variant = 0; variant < Variants; ++variant) {
        Program& p = programs[variant];
        p = Program{};
        p.id = emscripten_glCreateProgram();
        const GLuint vs = compile(GL_VERTEX_SHADER, variantDefines[variant], vertexSource);
        const GLuint fs = compile(GL_FRAGMENT_SHADER, variantDefines[variant], fragmentSource);
        emscripten_glAttachShader(p.id, vs);
        emscripten_glAttachShader(p.id, fs);
        emscripten_glBindAttribLocation(p.id, 0, "position");
        emscripten_glBindAttribLocation(p.id, 1, "colour");
        emscripten_glBindAttribLocation(p.id, 2, "texCoord");
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
        p.mvp.fill(NAN);
    }
    emscripten_glUseProgram(0);
    current = Variants;
    passedKnown = false;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_get_context_attributes(emscripten_webgl_get_current_context(), &attributes);
    copyFramebuffer = 0;
    copyAttached = 0;
    if (attributes.majorVersion >= 2) {
        emscripten_glGenFramebuffers(1, &copyFramebuffer);
    }
    emscripten_glGenBuffers(1, &buffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    bufferSize = 0;
    bufferUsed = 0;
    emscripten_glEnableVertexAttribArray(0);
    emscripten_glEnableVertexAttribArray(1);

    std::vector<unsigned short> indices;
    indices.reserve(quadsPerDraw * 6);
    for (size_t quad = 0; quad < quadsPerDraw; ++quad) {
        // A quad splits along its 1-3 diagonal, as Mesa splits it with the last vertex
        // provoking; where a distortion bends the texture across a quad, the other diagonal
        // would bend it differently.
        for (const size_t k : {0, 1, 3, 1, 2, 3}) {
            indices.push_back(static_cast<unsigned short>(quad * 4 + k));
        }
    }
    emscripten_glGenBuffers(1, &quadIndices);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<long>(indices.size() * 2),
                            indices.data(), GL_STATIC_DRAW);
    emscripten_glGenBuffers(1, &edgeIndices);
    emscripten_glGenBuffers(1, &edgeVertices);
    edgeBlock.clear();
}

FixedFunction::Program& FixedFunction::use(Variant variant) {
    Program& p = programs[variant];
    if (current != variant) {
        emscripten_glUseProgram(p.id);
        // Only the textured variants read texture coordinates.
        if ((current == Plain || current == Variants) != (variant == Plain)) {
            variant == Plain ? emscripten_glDisableVertexAttribArray(2)
                             : emscripten_glEnableVertexAttribArray(2);
        }
        current = variant;
    }
    return p;
}

FixedFunction::~FixedFunction() {
    emscripten_glDeleteBuffers(1, &buffer);
    emscripten_glDeleteBuffers(1, &quadIndices);
    emscripten_glDeleteBuffers(1, &edgeIndices);
    emscripten_glDeleteBuffers(1, &edgeVertices);
    if (copyFramebuffer != 0) {
        emscripten_glDeleteFramebuffers(1, &copyFramebuffer);
    }
    for (const Program& p : programs) {
        if (p.id != 0) {
            emscripten_glDeleteProgram(p.id);
        }
    }
}

FixedFunction& FixedFunction::instance() {
    // Lives as long as the page: the context goes with it.
    static FixedFunction* gl = new FixedFunction();
    return *gl;
}

FixedFunction::Matrix FixedFunction::identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

FixedFunction::Matrix FixedFunction::product(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[column * 4 + k];
            }
            r[column * 4 + row] = sum;
        }
    }
    return r;
}

std::vector<FixedFunction::Matrix>& FixedFunction::stack() {
    return state.matrixMode == GL_PROJECTION ? projection : modelview;
}

void FixedFunction::loadIdentity() {
    stack().back() = identity();
}

void FixedFunction::pushMatrix() {
    auto& s = stack();
    s.push_back(s.back());
}

void FixedFunction::popMatrix() {
    auto& s = stack();
    if (s.size() > 1) {
        s.pop_back();
    }
}

void FixedFunction::multiply(const Matrix& m) {
    stack().back() = product(stack().back(), m);
}

void FixedFunction::setEnabled(GLenum cap, bool on) {
    switch (cap) {
    case GL_TEXTURE_2D:
        state.texture2D = on;
        return;
    case GL_LIGHTING:
        state.lighting = on;
        return;
    case GL_DEPTH_TEST:
        state.depthTest = on;
        return;
    case GL_BLEND:
        state.blend = on;
        return;
    default:
        if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8) {
            state.lights[cap - GL_LIGHT0].enabled = on;
            return;
        }
        break;
    }
    if (on) {
        emscripten_glEnable(cap);
    } else {
        emscripten_glDisable(cap);
    }
}

void FixedFunction::setLight(GLenum which, GLenum name, const GLfloat* values) {
    if (which < GL_LIGHT0 || which >= GL_LIGHT0 + 8) {
        return;
    }
    Light& l = state.lights[which - GL_LIGHT0];
    switch (name) {
    case GL_AMBIENT:
        l.ambient = {values[0], values[1], values[2], values[3]};
        break;
    case GL_DIFFUSE:
        l.diffuse = {values[0], values[1], values[2], values[3]};
        break;
    case GL_POSITION: {
        // Stored in eye coordinates, through the model-view matrix of the moment.
        const Matrix& m = modelview.back();
        for (int row = 0; row < 4; ++row) {
            l.position[row] = m[row] * values[0] + m[4 + row] * values[1] + m[8 + row] * values[2] +
                              m[12 + row] * values[3];
        }
        break;
    }
    default:
        break;
    }
}

void FixedFunction::setClearColour(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    state.clearColour[0] = r;
    state.clearColour[1] = g;
    state.clearColour[2] = b;
    state.clearColour[3] = a;
}

void FixedFunction::setViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    state.viewport[0] = x;
    state.viewport[1] = y;
    state.viewport[2] = width;
    state.viewport[3] = height;
}

void FixedFunction::setBlendFunc(GLenum source, GLenum destination) {
    state.blendSource = source;
    state.blendDestination = destination;
}

void FixedFunction::genTextures(GLsizei count, GLuint* names) {
    // Named by the page rather than by WebGL, which names nothing while the context is lost.
    for (GLsizei i = 0; i < count; ++i) {
        names[i] = zokk_new_texture();
        textures[names[i]] = TextureInfo{};
    }
}

void FixedFunction::bindTexture(GLuint texture) {
    state.texture = texture;
}

void FixedFunction::deleteTextures(GLsizei count, const GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) {
        textures.erase(names[i]);
        if (state.texture == names[i]) {
            state.texture = 0;
        }
        // WebGL unbinds a texture it deletes.
        if (passed.texture == names[i]) {
            passed.texture = 0;
        }
        // And detaches it from a framebuffer; the name may come back for another texture.
        if (copyAttached == names[i]) {
            copyAttached = 0;
        }
    }
    emscripten_glDeleteTextures(count, names);
}

void FixedFunction::texImage(GLsizei width, GLsizei height, GLenum format, GLenum type,
                             const void* pixels) {
    // WebGL takes 8-bit samples only: a 16-bit image keeps the high byte of each sample,
    // which is the first in memory when the bytes are to be swapped on this little-endian
    // machine.
    std::vector<unsigned char> narrowed;
    if (type == GL_UNSIGNED_SHORT && pixels != nullptr) {
        const size_t samples = static_cast<size_t>(width) * height * channelsOf(format);
        const auto* bytes = static_cast<const unsigned char*>(pixels);
        narrowed.resize(samples);
        for (size_t i = 0; i < samples; ++i) {
            narrowed[i] = bytes[2 * i + (swapBytes ? 0 : 1)];
        }
        pixels = narrowed.data();
        type = GL_UNSIGNED_BYTE;
    }
    pass();
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, format, type, pixels);
    TextureInfo& info = textures[state.texture];
    info.width = width;
    info.height = height;
    info.hasImage = true;
    info.format = format;
    info.alignment = unpackAlignment;
    info.pixels.clear();
    if (pixels != nullptr && width > 0 && height > 0) {
        const size_t row = static_cast<size_t>(width) * channelsOf(format);
        const size_t stride = (row + unpackAlignment - 1) / unpackAlignment * unpackAlignment;
        const auto* bytes = static_cast<const unsigned char*>(pixels);
        info.pixels.assign(bytes, bytes + stride * (height - 1) + row);
    }
}

void FixedFunction::copyTexImage(GLint x, GLint y, GLsizei width, GLsizei height) {
    // The canvas has no alpha channel, and WebGL copies only the channels it has. A texture
    // that already holds a copy of this size is written over rather than made again.
    pass();
    TextureInfo& info = textures[state.texture];
    if (info.hasImage && info.format == GL_RGB && info.pixels.empty() && info.width == width &&
        info.height == height) {
        if (copyFramebuffer == 0) {
            emscripten_glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, width, height);
            return;
        }
        emscripten_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copyFramebuffer);
        if (copyAttached != state.texture) {
            emscripten_glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                              GL_TEXTURE_2D, state.texture, 0);
            copyAttached = state.texture;
        }
        emscripten_glBlitFramebuffer(x, y, x + width, y + height, 0, 0, width, height,
                                     GL_COLOR_BUFFER_BIT, GL_NEAREST);
        emscripten_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        return;
    }
    emscripten_glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, x, y, width, height, 0);
    info.width = width;
    info.height = height;
    info.hasImage = true;
    info.format = GL_RGB;
    info.pixels.clear();
}

void FixedFunction::texParameter(GLenum name, GLint value) {
    if (name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T) {
        TextureInfo& info = textures[state.texture];
        const bool border = value == GL_CLAMP;
        (name == GL_TEXTURE_WRAP_S ? info.clampS : info.clampT) = border;
        if (border) {
            value = GL_CLAMP_TO_EDGE;
        }
    }
    textures[state.texture].parameters[name] = value;
    pass();
    emscripten_glTexParameteri(GL_TEXTURE_2D, name, value);
}

void FixedFunction::setUnpackAlignment(GLint alignment) {
    unpackAlignment = alignment;
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void FixedFunction::restore() {
    // The old programs and buffers went with the old context (WebGL refuses to delete them
    // now); only their names are left to forget.
    for (const Program& p : programs) {
        zokk_forget(p.id, 0);
    }
    zokk_forget(0, buffer);
    zokk_forget(0, quadIndices);
    zokk_forget(0, edgeIndices);
    zokk_forget(0, edgeVertices);
    build();
    for (auto& [name, info] : textures) {
        if (name == 0) {
            continue; // parameters set with no texture bound went nowhere
        }
        zokk_renew_texture(name);
        emscripten_glBindTexture(GL_TEXTURE_2D, name);
        for (const auto& [parameter, value] : info.parameters) {
            emscripten_glTexParameteri(GL_TEXTURE_2D, parameter, value);
        }
        if (info.hasImage) {
            emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, info.alignment);
            emscripten_glTexImage2D(GL_TEXTURE_2D, 0, info.format, info.width, info.height, 0,
                                    info.format, GL_UNSIGNED_BYTE,
                                    info.pixels.empty() ? nullptr : info.pixels.data());
        }
    }
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    passedKnown = false;
    pass();
}

void FixedFunction::clear(GLbitfield mask) {
    pass();
    emscripten_glClear(mask);
}

void FixedFunction::popAttrib() {
    if (attribStack.empty()) {
        return;
    }
    state = attribStack.back();
    attribStack.pop_back();
}

// State changes only reach WebGL when something is drawn, cleared or copied with them, and
// only when they differ from what WebGL has.
void FixedFunction::pass() {
    const bool known = passedKnown;
    if (!known || passed.depthTest != state.depthTest) {
        state.depthTest ? emscripten_glEnable(GL_DEPTH_TEST) : emscripten_glDisable(GL_DEPTH_TEST);
    }
    if (!known || passed.blend != state.blend) {
        state.blend ? emscripten_glEnable(GL_BLEND) : emscripten_glDisable(GL_BLEND);
    }
    if (!known || passed.blendSource != state.blendSource ||
        passed.blendDestination != state.blendDestination) {
        emscripten_glBlendFunc(state.blendSource, state.blendDestination);
    }
    if (!known ||
        std::memcmp(passed.clearColour, state.clearColour, sizeof state.clearColour) != 0) {
        emscripten_glClearColor(state.clearColour[0], state.clearColour[1], state.clearColour[2],
                                state.clearColour[3]);
    }
    if (!known || std::memcmp(passed.viewport, state.viewport, sizeof state.viewport) != 0) {
        emscripten_glViewport(state.viewport[0], state.viewport[1], state.viewport[2],
                              state.viewport[3]);
    }
    if (!known || passed.texture != state.texture) {
        emscripten_glBindTexture(GL_TEXTURE_2D, state.texture);
    }
    passed = state;
    passedKnown = true;
}

void FixedFunction::begin(GLenum mode) {
    primitive = mode;
    vertices.clear();
}

void FixedFunction::vertex(GLfloat x, GLfloat y, GLfloat z) {
    vertices.push_back(
        Vertex{{x, y, z},
               {currentTexCoord[0], currentTexCoord[1]},
               {state.colour[0], state.colour[1], state.colour[2], state.colour[3]}});
}

void FixedFunction::colour(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    state.colour = {level(r), level(g), level(b), level(a)};
}

void FixedFunction::lightVertices() {
    const Matrix& m = modelview.back();
    // The normal goes through the inverse transpose of the model-view's upper 3 x 3.
    const float a = m[0], b = m[4], c = m[8];
    const float d = m[1], e = m[5], f = m[9];
    const float g = m[2], h = m[6], i = m[10];
    const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    // Rows of the inverse are the cofactor columns over det; its transpose times n is
    // n's dot product with each row of the cofactor matrix.
    const float cof[3][3] = {{e * i - f * h, -(d * i - f * g), d * h - e * g},
                             {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                             {b * f - c * e, -(a * f - c * d), a * e - b * d}};
    float normal[3];
    for (int r = 0; r < 3; ++r) {
        normal[r] = (cof[r][0] * objectNormal[0] + cof[r][1] * objectNormal[1] +
                     cof[r][2] * objectNormal[2]) /
                    det;
    }
    for (Vertex& v : vertices) {
        float eye[3];
        for (int r = 0; r < 3; ++r) {
            eye[r] = m[r] * v.position[0] + m[4 + r] * v.position[1] + m[8 + r] * v.position[2] +
                     m[12 + r];
        }
        float lit[4];
        light(state.lights, eye, normal, lit);
        for (int k = 0; k < 4; ++k) {
            v.colour[k] = level(lit[k]);
        }
    }
}

void FixedFunction::end() {
    if (state.lighting) {
        lightVertices();
    }
    const size_t corners = primitive == GL_QUADS ? 4 : primitive == GL_TRIANGLES ? 3 : 0;
    if (corners == 0) {
        draw(primitive, vertices);
        return;
    }
    vertices.resize(vertices.size() / corners * corners);
    if (!state.polygonLines) {
        corners == 4 ? drawQuads() : draw(GL_TRIANGLES, vertices);
    } else if (vertices.size() <= 65535) {
        // 16-bit indices, short of 65535, which restarts primitives in WebGL 2.
        drawEdges(corners);
    } else {
        expanded.clear();
        for (size_t first = 0; first < vertices.size(); first += corners) {
            for (size_t k = 0; k < corners; ++k) {
                expanded.push_back(vertices[first + k]);
                expanded.push_back(vertices[first + (k + 1) % corners]);
            }
        }
        draw(GL_LINES, expanded);
    }
}

// The polygons of a closed mesh share each edge with a neighbour, which goes along it the
// other way; drawn a second time in the same place, with the depth test on, a line changes
// next to nothing. So each edge is drawn once, as the first polygon that has it goes. Finding
// them takes a while, and a mesh comes again frame after frame with the same vertices (only
// the matrices move it), so the last block's edges are kept.
void FixedFunction::drawEdges(size_t corners) {
    if (corners != edgeCorners || vertices.size() != edgeBlock.size() ||
        std::memcmp(vertices.data(), edgeBlock.data(), vertices.size() * sizeof(Vertex)) != 0) {
        edgeBlock = vertices;
        edgeCorners = corners;
        // Corners are the same vertex when all they carry is the same.
        std::unordered_map<std::string, unsigned> ids;
        std::vector<unsigned> id(vertices.size());
        for (size_t i = 0; i < vertices.size(); ++i) {
            const auto* bytes = reinterpret_cast<const char*>(&vertices[i]);
            id[i] = ids.emplace(std::string(bytes, sizeof(Vertex)), ids.size()).first->second;
        }
        std::unordered_set<unsigned long long> seen;
        edges.clear();
        for (size_t first = 0; first < vertices.size(); first += corners) {
            for (size_t k = 0; k < corners; ++k) {
                const size_t a = first + k;
                const size_t b = first + (k + 1) % corners;
                const unsigned long long key =
                    (static_cast<unsigned long long>(std::min(id[a], id[b])) << 32) |
                    std::max(id[a], id[b]);
                if (seen.insert(key).second) {
                    edges.push_back(static_cast<unsigned short>(a));
                    edges.push_back(static_cast<unsigned short>(b));
                }
            }
        }
        emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, edgeIndices);
        emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<long>(edges.size() * 2),
                                edges.data(), GL_STATIC_DRAW);
        emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, edgeVertices);
        emscripten_glBufferData(GL_ARRAY_BUFFER,
                                static_cast<long>(vertices.size() * sizeof(Vertex)),
                                vertices.data(), GL_STATIC_DRAW);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    }
    if (edges.empty()) {
        return;
    }
    prepareProgram();
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, edgeVertices);
    point(0);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, edgeIndices);
    emscripten_glDrawElements(GL_LINES, static_cast<GLsizei>(edges.size()), GL_UNSIGNED_SHORT,
                              nullptr);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices);
}

// Writes the list after what the buffer already holds, and returns where it starts. The
// buffer grows when a list does not fit at all, and otherwise starts again from the
// beginning when the list does not fit after the rest; WebGL keeps what earlier draws read.
size_t FixedFunction::upload(const std::vector<Vertex>& list) {
    const size_t bytes = list.size() * sizeof(Vertex);
    if (bytes > bufferSize) {
        bufferSize = std::max(bytes, 2 * bufferSize);
        emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<long>(bufferSize), nullptr,
                                GL_DYNAMIC_DRAW);
        bufferUsed = 0;
    } else if (bufferUsed + bytes > bufferSize) {
        bufferUsed = 0;
    }
    const size_t offset = bufferUsed;
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, static_cast<long>(offset), static_cast<long>(bytes),
                               list.data());
    bufferUsed += bytes;
    return offset;
}

// Makes ready to draw: the state passed on, and the program for it with its uniforms.
void FixedFunction::prepareProgram() {
    pass();
    Variant variant = Plain;
    const auto found = textures.find(state.texture);
    if (state.texture2D && state.texture != 0 && found != textures.end() &&
        found->second.hasImage) {
        const TextureInfo& info = found->second;
        variant =
            info.clampS ? (info.clampT ? BorderST : BorderS) : (info.clampT ? BorderT : Textured);
    }
    Program& p = use(variant);
    const Matrix mvp = product(projection.back(), modelview.back());
    if (std::memcmp(mvp.data(), p.mvp.data(), sizeof mvp) != 0) {
        emscripten_glUniformMatrix4fv(p.mvpLocation, 1, GL_FALSE, mvp.data());
        p.mvp = mvp;
    }
    if (variant >= BorderS) {
        const TextureInfo& info = found->second;
        const float size[2] = {static_cast<float>(info.width), static_cast<float>(info.height)};
        if (size[0] != p.size[0] || size[1] != p.size[1]) {
            emscripten_glUniform2f(p.sizeLocation, size[0], size[1]);
            p.size[0] = size[0];
            p.size[1] = size[1];
        }
    }
}

// Makes ready to draw the list: the program as prepareProgram, and the vertices uploaded;
// returns where they start in the buffer.
size_t FixedFunction::prepare(const std::vector<Vertex>& list) {
    prepareProgram();
    return upload(list);
}

void FixedFunction::point(size_t offset) {
    const GLsizei stride = sizeof(Vertex);
    const auto at = [offset](size_t field) { return reinterpret_cast<void*>(offset + field); };
    emscripten_glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                                     at(offsetof(Vertex, position)));
    emscripten_glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                                     at(offsetof(Vertex, colour)));
    emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                                     at(offsetof(Vertex, texCoord)));
}

void FixedFunction::draw(GLenum mode, const std::vector<Vertex>& list) {
    if (list.empty()) {
        return;
    }
    point(prepare(list));
    emscripten_glDrawArrays(mode, 0, static_cast<GLsizei>(list.size()));
}

// A quad whose corners are all beyond the same side of the view cannot be seen; a distorted
// grid bigger than the window has many. Only the others are drawn.
void FixedFunction::drawQuads() {
    const Matrix mvp = product(projection.back(), modelview.back());
    visible.clear();
    for (size_t first = 0; first < vertices.size(); first += 4) {
        unsigned outside = 0x3f;
        for (size_t k = first; k < first + 4; ++k) {
            const float* p = vertices[k].position;
            float clip[4];
            for (int r = 0; r < 4; ++r) {
                clip[r] = mvp[r] * p[0] + mvp[4 + r] * p[1] + mvp[8 + r] * p[2] + mvp[12 + r];
            }
            const float w = clip[3];
            outside &= (clip[0] < -w ? 1u : 0u) | (clip[0] > w ? 2u : 0u) |
                       (clip[1] < -w ? 4u : 0u) | (clip[1] > w ? 8u : 0u) |
                       (clip[2] < -w ? 16u : 0u) | (clip[2] > w ? 32u : 0u);
        }
        if (outside == 0) {
            visible.insert(visible.end(), vertices.begin() + first, vertices.begin() + first + 4);
        }
    }
    if (visible.empty()) {
        return;
    }
    const size_t offset = prepare(visible);
    const size_t quads = visible.size() / 4;
    for (size_t first = 0; first < quads; first += quadsPerDraw) {
        const size_t count = std::min(quadsPerDraw, quads - first);
        point(offset + first * 4 * sizeof(Vertex));
        emscripten_glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count * 6), GL_UNSIGNED_SHORT,
                                  nullptr);
    }
}
