// Every WebGL buffer the layer draws from, and the draws from them.
//
// - The stream: every block's vertices are written, one block after the other, into one
//   buffer that grows to the largest need and is then only written into, starting again from
//   its beginning when a block does not fit after the rest (WebGL keeps what earlier draws
//   read).
// - The quads' index buffer, QuadBatch's pattern, made once.
// - The last edge mesh's vertices and indices, kept by WebGL for as long as the same mesh
//   comes again.
//
// Which buffer is bound where follows one rule, kept by bind(): a buffer is bound just before
// the call that needs it, to the target that call reads, and nothing relies on what an
// earlier call left bound, so nothing puts a binding back.
#pragma once

#include "EdgeMesh.h"
#include "Vertex.h"

#include <GL/gl.h>

#include <cstddef>
#include <vector>

class VertexBuffers {
public:
    // Makes the buffers in the current context.
    VertexBuffers() { build(); }
    ~VertexBuffers();
    VertexBuffers(const VertexBuffers&) = delete;
    VertexBuffers& operator=(const VertexBuffers&) = delete;

    // After the browser has given back a lost context: drops the old buffers' names (they went
    // with the old context) and makes them all again.
    void rebuild();

    // The vertices as mode, in order.
    void drawArrays(GLenum mode, const std::vector<Vertex>& vertices);
    // Four vertices a quad, as two triangles each (QuadBatch).
    void drawQuads(const std::vector<Vertex>& quads);
    // The mesh's edges as lines; changed says that it is not the mesh drawn last, whose
    // vertices and indices WebGL holds.
    void drawEdges(const EdgeMesh& mesh, bool changed);

private:
    void build();
    void bind(GLenum target, GLuint buffer);
    // Writes the vertices into the stream and returns the byte offset where they start.
    size_t stream(const std::vector<Vertex>& vertices);
    // Points the vertex attributes at the vertices from offset bytes into buffer.
    void pointAt(GLuint buffer, size_t offset);

    // What bind() last bound, or none known: after a new context, nothing is assumed.
    static constexpr GLuint unknown = ~0u;
    GLuint boundArray = unknown;
    GLuint boundElements = unknown;

    GLuint streamBuffer = 0;
    size_t streamSize = 0; // bytes
    size_t streamUsed = 0; // bytes written since the stream last started again
    GLuint quadIndices = 0;
    GLuint edgeVertices = 0;
    GLuint edgeIndices = 0;
};
