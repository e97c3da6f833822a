// The part of OpenGL 1.1 that the demo uses, drawn with WebGL.
//
// A browser offers only WebGL, which has no matrix stacks, no glBegin/glEnd, no lighting, no
// attribute stack and no polygon modes. FixedFunction keeps that state and, at each glEnd,
// the order of a draw: the block lit (Lighting), cut to what can be seen or to its edges
// (QuadBatch, EdgeMesh), the state handed on, the program chosen (ShaderPrograms) and the
// vertices drawn (VertexBuffers). Textures live in a TextureStore, and copies of the frame go
// through a FrameCopier. The C entry points (glBegin, glPushAttrib, gluPerspective, ...) in
// GLEntryPoints.cpp call the one instance.
//
// A frame's time in a browser goes mostly to its software rasteriser, so the layer hands it
// as little as it can, and state that WebGL already has is not passed on again: state changes
// reach WebGL only when something is drawn, cleared or copied with them.
//
// A browser may take the WebGL context away and give it back empty; restore() makes the
// programs, buffers, textures and passed-on state again, and the demo goes on as if nothing
// happened.
//
// Implemented:
// - glBegin/glEnd with GL_TRIANGLES and GL_QUADS, and the modes WebGL has (GL_POINTS,
//   GL_LINES, GL_LINE_STRIP, GL_LINE_LOOP, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN) passed on;
//   glVertex2f, glVertex2i, glVertex3f, glVertex3fv, glTexCoord2f, glColor3ub.
// - glMatrixMode (GL_MODELVIEW, GL_PROJECTION), glLoadIdentity, glPushMatrix, glPopMatrix,
//   glTranslatef, glRotatef, glScalef, glOrtho, gluPerspective.
// - glEnable/glDisable of GL_TEXTURE_2D, GL_LIGHTING and GL_LIGHT0 to GL_LIGHT7 here, of
//   GL_DEPTH_TEST and GL_BLEND remembered and passed on, of anything else passed on at once.
// - glLightfv with GL_AMBIENT, GL_DIFFUSE and GL_POSITION; glPolygonMode GL_FILL and GL_LINE.
// - glClear, glClearColor, glViewport, glBlendFunc, glPushAttrib, glPopAttrib.
// - glGenTextures, glDeleteTextures, glBindTexture, glTexImage2D (GL_UNSIGNED_BYTE and
//   GL_UNSIGNED_SHORT samples), glCopyTexImage2D, glTexParameteri/f (GL_CLAMP too),
//   glPixelStorei (GL_UNPACK_SWAP_BYTES, GL_UNPACK_ALIGNMENT, others passed on); glTexEnvi,
//   glShadeModel and glHint are taken and ignored.
// - glGetIntegerv of GL_VIEWPORT and GL_UNPACK_ALIGNMENT, glGetBooleanv of
//   GL_UNPACK_SWAP_BYTES; other queries are WebGL's.
//
// Not implemented: GL_QUAD_STRIP and GL_POLYGON; glNormal (the normal stays (0, 0, 1)),
// glMaterial and glColorMaterial; specular and emitted light, spot lights and attenuation;
// glLoadMatrix, glMultMatrix, glFrustum and reading matrices back; texture environments other
// than GL_MODULATE; glTexSubImage2D, glCopyTexSubImage2D and mipmap levels above 0; display
// lists and vertex arrays; GL errors of the layer's own (glGetError reports WebGL's).
//
// Where it differs from OpenGL 1.1:
// - Lighting is computed on the CPU at glEnd, with the model-view matrix of that moment, and
//   the lit colour is rounded to a byte a channel before it is interpolated.
// - A quad is split into two triangles along its 1-3 diagonal; quads wholly beyond one plane
//   of the clip volume are not drawn (no pixel changes).
// - With glPolygonMode(GL_LINE) an edge two polygons share is drawn once, not twice (a block of
//   more than 65535 vertices draws every polygon's edges), and GL_CULL_FACE, which WebGL
//   does, culls only filled polygons.
// - GL_CLAMP's border is (0, 0, 0, 0) and is mixed in by the shader as a linear filter would,
//   whatever the texture's filter.
// - A 16-bit texture keeps only the high byte of each sample; a copy of the frame has no alpha
//   channel (alpha 1).
// - glPushAttrib saves every attribute the layer keeps, whatever the mask (including the bound
//   texture and the current colour); glPopAttrib and glPopMatrix on an empty stack do nothing,
//   and the stacks have no depth limit.
// - Texture names are the page's, not WebGL's, so that they survive a lost context.
#pragma once

#include "EdgeMesh.h"
#include "FrameCopier.h"
#include "Lighting.h"
#include "Matrix.h"
#include "QuadBatch.h"
#include "Script.h"
#include "ShaderPrograms.h"
#include "TextureStore.h"
#include "Vertex.h"
#include "VertexBuffers.h"

#include <GL/gl.h>

#include <array>
#include <vector>

class FixedFunction {
public:
    // Makes the programs and buffers in the current WebGL context.
    FixedFunction() = default;
    FixedFunction(const FixedFunction&) = delete;
    FixedFunction& operator=(const FixedFunction&) = delete;

    // The instance for the current context, made at the first call.
    static FixedFunction& instance();

    // Capabilities this class handles itself (texturing, lighting, lights) are kept; the rest
    // is passed on to WebGL and remembered for glPopAttrib.
    void setEnabled(GLenum cap, bool on);
    void setLight(GLenum light, GLenum name, const GLfloat* values);
    void setPolygonMode(GLenum mode) { state.polygonLines = mode == GL_LINE; }
    void setClearColour(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
    void setViewport(GLint x, GLint y, GLsizei width, GLsizei height);
    void setBlendFunc(GLenum source, GLenum destination);
    void genTextures(GLsizei count, GLuint* names) { textures.create(count, names); }
    void bindTexture(GLuint texture) { state.texture = texture; }
    void deleteTextures(GLsizei count, const GLuint* names);
    void texImage(GLsizei width, GLsizei height, GLenum format, GLenum type, const void* pixels);
    void copyTexImage(GLint x, GLint y, GLsizei width, GLsizei height);
    void texParameter(GLenum name, GLint value);
    void setSwapBytes(bool on) { swapBytes = on; }
    bool getSwapBytes() const { return swapBytes; }
    void setUnpackAlignment(GLint alignment);
    GLint getUnpackAlignment() const { return unpackAlignment; }
    const GLint* viewport() const { return state.viewport; }
    void clear(GLbitfield mask);

    void pushAttrib() { attribStack.push_back(state); }
    void popAttrib();

    void matrixMode(GLenum mode) { state.matrixMode = mode; }
    void loadIdentity() { currentStack().back() = Matrix::identity(); }
    void pushMatrix();
    void popMatrix();
    // current = current * m, as glMultMatrix.
    void multiply(const Matrix& m) { currentStack().back() = currentStack().back() * m; }

    void begin(GLenum mode);
    void end();
    void vertex(GLfloat x, GLfloat y, GLfloat z);
    void texCoord(GLfloat s, GLfloat t) { currentTexCoord = {s, t}; }
    void colour(GLfloat r, GLfloat g, GLfloat b, GLfloat a);

    // Makes the programs, the buffers, every texture and the passed-on state again, after the
    // browser has given back a lost context.
    void restore();

private:
    // Everything glPushAttrib(GL_ALL_ATTRIB_BITS) saves that the demo changes.
    struct State {
        bool depthTest = false;
        bool blend = false;
        bool texture2D = false;
        bool lightingOn = false;
        bool polygonLines = false;
        Lighting lighting;
        // The current colour as the vertices carry it, a byte a channel.
        std::array<unsigned char, 4> colour{255, 255, 255, 255};
        GLfloat clearColour[4] = {0, 0, 0, 0};
        GLint viewport[4] = {0, 0, Script::width, Script::height};
        GLenum blendSource = GL_ONE;
        GLenum blendDestination = GL_ZERO;
        GLuint texture = 0;
        GLenum matrixMode = GL_MODELVIEW;
    };

    std::vector<Matrix>& currentStack();
    // Brings WebGL's state to state, telling it only what differs from what it was given.
    void handOnState();
    // The state handed on and the program for it in use, with mvp, ready for a draw.
    void useProgram(const Matrix& mvp);

    State state;
    std::vector<State> attribStack;
    std::vector<Matrix> modelview{Matrix::identity()};
    std::vector<Matrix> projection{Matrix::identity()};
    bool swapBytes = false;
    GLint unpackAlignment = 4;

    // The block between glBegin and glEnd, and what its draw is made of.
    GLenum primitive = 0;
    std::array<float, 2> currentTexCoord{0, 0};
    std::vector<Vertex> block;
    QuadBatch quads;
    EdgeMesh edgeMesh;
    std::vector<Vertex> outlines;

    // What WebGL has been given, when handedOnKnown: handOnState() brings it to state.
    State handedOn;
    bool handedOnKnown = false;

    // WebGL's side, made in the current context in this order.
    ShaderPrograms programs;
    VertexBuffers buffers;
    FrameCopier frameCopier;
    TextureStore textures;
};
