#include "FixedFunction.h"

#include "WebGL.h"

#include <cstring>

FixedFunction& FixedFunction::instance() {
    // Lives as long as the page: the context goes with it.
    static FixedFunction* gl = new FixedFunction();
    return *gl;
}

std::vector<Matrix>& FixedFunction::currentStack() {
    return state.matrixMode == GL_PROJECTION ? projection : modelview;
}

void FixedFunction::pushMatrix() {
    auto& s = currentStack();
    s.push_back(s.back());
}

void FixedFunction::popMatrix() {
    auto& s = currentStack();
    if (s.size() > 1) {
        s.pop_back();
    }
}

void FixedFunction::setEnabled(GLenum cap, bool on) {
    switch (cap) {
    case GL_TEXTURE_2D:
        state.texture2D = on;
        return;
    case GL_LIGHTING:
        state.lightingOn = on;
        return;
    case GL_DEPTH_TEST:
        state.depthTest = on;
        return;
    case GL_BLEND:
        state.blend = on;
        return;
    default:
        if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + Lighting::lightCount) {
            state.lighting.enable(static_cast<int>(cap - GL_LIGHT0), on);
            return;
        }
        break;
    }
    on ? emscripten_glEnable(cap) : emscripten_glDisable(cap);
}

void FixedFunction::setLight(GLenum light, GLenum name, const GLfloat* values) {
    const int index = static_cast<int>(light) - GL_LIGHT0; // Lighting ignores a wrong one
    switch (name) {
    case GL_AMBIENT:
        state.lighting.setAmbient(index, {values[0], values[1], values[2], values[3]});
        break;
    case GL_DIFFUSE:
        state.lighting.setDiffuse(index, {values[0], values[1], values[2], values[3]});
        break;
    case GL_POSITION:
        state.lighting.setPosition(index, {values[0], values[1], values[2], values[3]},
                                   modelview.back());
        break;
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

void FixedFunction::deleteTextures(GLsizei count, const GLuint* names) {
    textures.remove(count, names);
    for (GLsizei i = 0; i < count; ++i) {
        if (state.texture == names[i]) {
            state.texture = 0;
        }
        // WebGL unbinds a texture it deletes.
        if (handedOn.texture == names[i]) {
            handedOn.texture = 0;
        }
        frameCopier.textureDeleted(names[i]);
    }
}

void FixedFunction::texImage(GLsizei width, GLsizei height, GLenum format, GLenum type,
                             const void* pixels) {
    handOnState();
    textures.setImage(state.texture, width, height, format, type, pixels, swapBytes,
                      unpackAlignment);
}

void FixedFunction::copyTexImage(GLint x, GLint y, GLsizei width, GLsizei height) {
    handOnState();
    if (textures.holdsFrameCopy(state.texture, width, height)) {
        frameCopier.copyOver(state.texture, x, y, width, height);
    } else {
        frameCopier.copyNew(x, y, width, height);
        textures.recordFrameCopy(state.texture, width, height);
    }
}

void FixedFunction::texParameter(GLenum name, GLint value) {
    handOnState();
    textures.setParameter(state.texture, name, value);
}

void FixedFunction::setUnpackAlignment(GLint alignment) {
    unpackAlignment = alignment;
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

void FixedFunction::clear(GLbitfield mask) {
    handOnState();
    emscripten_glClear(mask);
}

void FixedFunction::popAttrib() {
    if (attribStack.empty()) {
        return;
    }
    state = attribStack.back();
    attribStack.pop_back();
}

void FixedFunction::restore() {
    programs.rebuild();
    buffers.rebuild();
    frameCopier.rebuild();
    edgeMesh.forget();
    textures.restore(unpackAlignment);
    handedOnKnown = false;
    handOnState();
}

void FixedFunction::handOnState() {
    const bool known = handedOnKnown;
    const State& was = handedOn;
    if (!known || was.depthTest != state.depthTest) {
        state.depthTest ? emscripten_glEnable(GL_DEPTH_TEST) : emscripten_glDisable(GL_DEPTH_TEST);
    }
    if (!known || was.blend != state.blend) {
        state.blend ? emscripten_glEnable(GL_BLEND) : emscripten_glDisable(GL_BLEND);
    }
    if (!known || was.blendSource != state.blendSource ||
        was.blendDestination != state.blendDestination) {
        emscripten_glBlendFunc(state.blendSource, state.blendDestination);
    }
    if (!known || std::memcmp(was.clearColour, state.clearColour, sizeof state.clearColour) != 0) {
        emscripten_glClearColor(state.clearColour[0], state.clearColour[1], state.clearColour[2],
                                state.clearColour[3]);
    }
    if (!known || std::memcmp(was.viewport, state.viewport, sizeof state.viewport) != 0) {
        emscripten_glViewport(state.viewport[0], state.viewport[1], state.viewport[2],
                              state.viewport[3]);
    }
    if (!known || was.texture != state.texture) {
        emscripten_glBindTexture(GL_TEXTURE_2D, state.texture);
    }
    handedOn = state;
    handedOnKnown = true;
}

void FixedFunction::useProgram(const Matrix& mvp) {
    handOnState();
    const TextureStore::Texture* texture = textures.find(state.texture);
    const bool textured = state.texture2D && texture != nullptr && texture->hasImage;
    const auto variant = ShaderPrograms::variantFor(textured, textured && texture->clampS,
                                                    textured && texture->clampT);
    programs.use(variant, mvp, textured ? static_cast<float>(texture->width) : 0.0f,
                 textured ? static_cast<float>(texture->height) : 0.0f);
}

void FixedFunction::begin(GLenum mode) {
    primitive = mode;
    block.clear();
}

void FixedFunction::vertex(GLfloat x, GLfloat y, GLfloat z) {
    block.push_back(Vertex{{x, y, z},
                           {currentTexCoord[0], currentTexCoord[1]},
                           {state.colour[0], state.colour[1], state.colour[2], state.colour[3]}});
}

void FixedFunction::colour(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    state.colour = {Vertex::channel(r), Vertex::channel(g), Vertex::channel(b), Vertex::channel(a)};
}

// A draw goes: the block lit, cut to whole polygons, then to what is drawn of it (the quads
// that can be seen, the edges); the state handed on and the program chosen only when there is
// something to draw; then the vertices.
void FixedFunction::end() {
    const Matrix& view = modelview.back();
    if (state.lightingOn) {
        state.lighting.light(view, block);
    }
    const size_t corners = primitive == GL_QUADS ? 4 : primitive == GL_TRIANGLES ? 3 : 0;
    if (corners != 0) {
        block.resize(block.size() / corners * corners);
    }
    if (block.empty()) {
        return;
    }
    const Matrix mvp = projection.back() * view;
    if (corners == 0) {
        useProgram(mvp);
        buffers.drawArrays(primitive, block);
    } else if (!state.polygonLines && corners == 3) {
        useProgram(mvp);
        buffers.drawArrays(GL_TRIANGLES, block);
    } else if (!state.polygonLines) {
        quads.keepVisible(mvp, block);
        if (!quads.visible().empty()) {
            useProgram(mvp);
            buffers.drawQuads(quads.visible());
        }
    } else if (block.size() <= EdgeMesh::maxVertices) {
        const bool changed = edgeMesh.update(block, corners);
        useProgram(mvp);
        buffers.drawEdges(edgeMesh, changed);
    } else {
        EdgeMesh::outlines(block, corners, outlines);
        useProgram(mvp);
        buffers.drawArrays(GL_LINES, outlines);
    }
}
