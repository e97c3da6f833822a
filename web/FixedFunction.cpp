#include "FixedFunction.h"

#include "WebGL.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

const char* const vertexSource = R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec2 texCoord;
uniform mat4 mvp;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    gl_Position = mvp * position;
    vColour = colour;
    vTexCoord = texCoord;
}
)";

// GL_MODULATE. With GL_CLAMP the coordinate is clamped to [0, 1] and the linear filter at the
// edge mixes the edge texel with a border of (0, 0, 0, 0): within half a texel of the edge the
// border takes up to half the weight on each axis.
const char* const fragmentSource = R"(
precision highp float;
uniform sampler2D image;
uniform bool textured;
uniform bvec2 border;
uniform vec2 size;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    vec4 colour = vColour;
    if (textured) {
        vec2 uv = vTexCoord;
        vec2 weight = vec2(0.0);
        if (border.x) {
            uv.x = clamp(uv.x, 0.0, 1.0);
            float s = uv.x * size.x - 0.5;
            weight.x = max(-s, 0.0) + max(s - (size.x - 1.0), 0.0);
        }
        if (border.y) {
            uv.y = clamp(uv.y, 0.0, 1.0);
            float t = uv.y * size.y - 0.5;
            weight.y = max(-t, 0.0) + max(t - (size.y - 1.0), 0.0);
        }
        colour *= texture2D(image, uv) * (1.0 - weight.x) * (1.0 - weight.y);
    }
    gl_FragColor = colour;
}
)";

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
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
    program = emscripten_glCreateProgram();
    const GLuint vs = compile(GL_VERTEX_SHADER, vertexSource);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentSource);
    emscripten_glAttachShader(program, vs);
    emscripten_glAttachShader(program, fs);
    emscripten_glBindAttribLocation(program, 0, "position");
    emscripten_glBindAttribLocation(program, 1, "colour");
    emscripten_glBindAttribLocation(program, 2, "texCoord");
    emscripten_glLinkProgram(program);
    emscripten_glDeleteShader(vs);
    emscripten_glDeleteShader(fs);
    emscripten_glUseProgram(program);
    mvpLocation = emscripten_glGetUniformLocation(program, "mvp");
    texturedLocation = emscripten_glGetUniformLocation(program, "textured");
    borderLocation = emscripten_glGetUniformLocation(program, "border");
    sizeLocation = emscripten_glGetUniformLocation(program, "size");
    emscripten_glUniform1i(emscripten_glGetUniformLocation(program, "image"), 0);

    emscripten_glGenBuffers(1, &buffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffer);
    for (GLuint i = 0; i < 3; ++i) {
        emscripten_glEnableVertexAttribArray(i);
    }
    const GLsizei stride = sizeof(Vertex);
    emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(Vertex, position)));
    emscripten_glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(Vertex, colour)));
    emscripten_glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(Vertex, texCoord)));
}

FixedFunction::~FixedFunction() {
    emscripten_glDeleteBuffers(1, &buffer);
    emscripten_glDeleteProgram(program);
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
        break;
    case GL_BLEND:
        state.blend = on;
        break;
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
    emscripten_glClearColor(r, g, b, a);
}

void FixedFunction::setViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    state.viewport[0] = x;
    state.viewport[1] = y;
    state.viewport[2] = width;
    state.viewport[3] = height;
    emscripten_glViewport(x, y, width, height);
}

void FixedFunction::setBlendFunc(GLenum source, GLenum destination) {
    state.blendSource = source;
    state.blendDestination = destination;
    emscripten_glBlendFunc(source, destination);
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
    emscripten_glBindTexture(GL_TEXTURE_2D, texture);
}

void FixedFunction::deleteTextures(GLsizei count, const GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) {
        textures.erase(names[i]);
        if (state.texture == names[i]) {
            state.texture = 0;
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
    // The canvas has no alpha channel, and WebGL copies only the channels it has.
    emscripten_glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, x, y, width, height, 0);
    TextureInfo& info = textures[state.texture];
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
    emscripten_glTexParameteri(GL_TEXTURE_2D, name, value);
}

void FixedFunction::setUnpackAlignment(GLint alignment) {
    unpackAlignment = alignment;
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void FixedFunction::restore() {
    // The old program and buffer went with the old context (WebGL refuses to delete them
    // now); only their names are left to forget.
    zokk_forget(program, buffer);
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
    apply();
}

void FixedFunction::clear(GLbitfield mask) {
    emscripten_glClear(mask);
}

void FixedFunction::popAttrib() {
    if (attribStack.empty()) {
        return;
    }
    state = attribStack.back();
    attribStack.pop_back();
    apply();
}

void FixedFunction::apply() {
    state.depthTest ? emscripten_glEnable(GL_DEPTH_TEST) : emscripten_glDisable(GL_DEPTH_TEST);
    state.blend ? emscripten_glEnable(GL_BLEND) : emscripten_glDisable(GL_BLEND);
    emscripten_glBlendFunc(state.blendSource, state.blendDestination);
    emscripten_glClearColor(state.clearColour[0], state.clearColour[1], state.clearColour[2],
                            state.clearColour[3]);
    emscripten_glViewport(state.viewport[0], state.viewport[1], state.viewport[2],
                          state.viewport[3]);
    emscripten_glBindTexture(GL_TEXTURE_2D, state.texture);
}

void FixedFunction::begin(GLenum mode) {
    primitive = mode;
    vertices.clear();
}

void FixedFunction::vertex(GLfloat x, GLfloat y, GLfloat z) {
    vertices.push_back(Vertex{{x, y, z, 1.0f},
                              {state.colour[0], state.colour[1], state.colour[2], state.colour[3]},
                              {currentTexCoord[0], currentTexCoord[1]}});
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
                     m[12 + r] * v.position[3];
        }
        light(state.lights, eye, normal, v.colour);
    }
}

void FixedFunction::end() {
    if (state.lighting) {
        lightVertices();
    }
    GLenum mode = primitive;
    const size_t corners = primitive == GL_QUADS ? 4 : primitive == GL_TRIANGLES ? 3 : 0;
    if (corners == 0) {
        draw(mode, vertices);
        return;
    }
    expanded.clear();
    const size_t whole = vertices.size() / corners * corners;
    for (size_t first = 0; first < whole; first += corners) {
        if (state.polygonLines) {
            for (size_t k = 0; k < corners; ++k) {
                expanded.push_back(vertices[first + k]);
                expanded.push_back(vertices[first + (k + 1) % corners]);
            }
        } else if (corners == 3) {
            expanded.insert(expanded.end(), vertices.begin() + first, vertices.begin() + first + 3);
        } else {
            // A quad splits along its 1-3 diagonal, as Mesa splits it with the last vertex
            // provoking; where a distortion bends the texture across a quad, the other
            // diagonal would bend it differently.
            for (const size_t k : {0, 1, 3, 1, 2, 3}) {
                expanded.push_back(vertices[first + k]);
            }
        }
    }
    draw(state.polygonLines ? GL_LINES : GL_TRIANGLES, expanded);
}

void FixedFunction::draw(GLenum mode, const std::vector<Vertex>& list) {
    if (list.empty()) {
        return;
    }
    const Matrix mvp = product(projection.back(), modelview.back());
    emscripten_glUniformMatrix4fv(mvpLocation, 1, GL_FALSE, mvp.data());
    const auto found = textures.find(state.texture);
    const bool textured =
        state.texture2D && state.texture != 0 && found != textures.end() && found->second.hasImage;
    emscripten_glUniform1i(texturedLocation, textured ? 1 : 0);
    if (textured) {
        const TextureInfo& info = found->second;
        emscripten_glUniform2i(borderLocation, info.clampS ? 1 : 0, info.clampT ? 1 : 0);
        emscripten_glUniform2f(sizeLocation, static_cast<float>(info.width),
                               static_cast<float>(info.height));
    }
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<long>(list.size() * sizeof(Vertex)),
                            list.data(), GL_STREAM_DRAW);
    emscripten_glDrawArrays(mode, 0, static_cast<GLsizei>(list.size()));
}
