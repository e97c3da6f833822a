#include "VertexBuffers.h"

#include "QuadBatch.h"
#include "ShaderPrograms.h"
#include "WebGL.h"

#include <algorithm>

void VertexBuffers::build() {
    boundArray = unknown;
    boundElements = unknown;
    emscripten_glGenBuffers(1, &streamBuffer);
    streamSize = 0;
    streamUsed = 0;
    const std::vector<unsigned short> pattern = QuadBatch::indexPattern();
    emscripten_glGenBuffers(1, &quadIndices);
    bind(GL_ELEMENT_ARRAY_BUFFER, quadIndices);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<long>(pattern.size() * 2),
                            pattern.data(), GL_STATIC_DRAW);
    emscripten_glGenBuffers(1, &edgeIndices);
    emscripten_glGenBuffers(1, &edgeVertices);
}

VertexBuffers::~VertexBuffers() {
    for (const GLuint buffer : {streamBuffer, quadIndices, edgeIndices, edgeVertices}) {
        emscripten_glDeleteBuffers(1, &buffer);
    }
}

void VertexBuffers::rebuild() {
    for (const GLuint buffer : {streamBuffer, quadIndices, edgeIndices, edgeVertices}) {
        zokk_forget(0, buffer);
    }
    build();
}

// The one place a buffer is bound. Every call that reads a binding (bufferData and
// bufferSubData, vertexAttribPointer, drawElements) is preceded by bind() of the buffer it
// needs, so no binding is ever put back; WebGL is told only when the binding changes.
void VertexBuffers::bind(GLenum target, GLuint buffer) {
    GLuint& bound = target == GL_ARRAY_BUFFER ? boundArray : boundElements;
    if (bound != buffer) {
        emscripten_glBindBuffer(target, buffer);
        bound = buffer;
    }
}

size_t VertexBuffers::stream(const std::vector<Vertex>& vertices) {
    const size_t bytes = vertices.size() * sizeof(Vertex);
    bind(GL_ARRAY_BUFFER, streamBuffer);
    if (bytes > streamSize) {
        streamSize = std::max(bytes, 2 * streamSize);
        emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<long>(streamSize), nullptr,
                                GL_DYNAMIC_DRAW);
        streamUsed = 0;
    } else if (streamUsed + bytes > streamSize) {
        streamUsed = 0;
    }
    const size_t offset = streamUsed;
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, static_cast<long>(offset), static_cast<long>(bytes),
                               vertices.data());
    streamUsed += bytes;
    return offset;
}

void VertexBuffers::pointAt(GLuint buffer, size_t offset) {
    bind(GL_ARRAY_BUFFER, buffer);
    const GLsizei stride = sizeof(Vertex);
    const auto at = [offset](size_t field) { return reinterpret_cast<void*>(offset + field); };
    emscripten_glVertexAttribPointer(ShaderPrograms::PositionAttribute, 3, GL_FLOAT, GL_FALSE,
                                     stride, at(offsetof(Vertex, position)));
    emscripten_glVertexAttribPointer(ShaderPrograms::ColourAttribute, 4, GL_UNSIGNED_BYTE, GL_TRUE,
                                     stride, at(offsetof(Vertex, colour)));
    emscripten_glVertexAttribPointer(ShaderPrograms::TexCoordAttribute, 2, GL_FLOAT, GL_FALSE,
                                     stride, at(offsetof(Vertex, texCoord)));
}

void VertexBuffers::drawArrays(GLenum mode, const std::vector<Vertex>& vertices) {
    pointAt(streamBuffer, stream(vertices));
    emscripten_glDrawArrays(mode, 0, static_cast<GLsizei>(vertices.size()));
}

void VertexBuffers::drawQuads(const std::vector<Vertex>& quads) {
    const size_t offset = stream(quads);
    bind(GL_ELEMENT_ARRAY_BUFFER, quadIndices);
    QuadBatch::forEachPart(quads.size() / 4, [&](size_t firstQuad, size_t count) {
        pointAt(streamBuffer, offset + firstQuad * 4 * sizeof(Vertex));
        emscripten_glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count * 6), GL_UNSIGNED_SHORT,
                                  nullptr);
    });
}

void VertexBuffers::drawEdges(const EdgeMesh& mesh, bool changed) {
    const std::vector<unsigned short>& indices = mesh.indices();
    if (changed) {
        bind(GL_ELEMENT_ARRAY_BUFFER, edgeIndices);
        emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<long>(indices.size() * 2),
                                indices.data(), GL_STATIC_DRAW);
        bind(GL_ARRAY_BUFFER, edgeVertices);
        emscripten_glBufferData(GL_ARRAY_BUFFER,
                                static_cast<long>(mesh.vertices().size() * sizeof(Vertex)),
                                mesh.vertices().data(), GL_STATIC_DRAW);
    }
    if (indices.empty()) {
        return;
    }
    pointAt(edgeVertices, 0);
    bind(GL_ELEMENT_ARRAY_BUFFER, edgeIndices);
    emscripten_glDrawElements(GL_LINES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_SHORT,
                              nullptr);
}
