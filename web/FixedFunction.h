// The part of OpenGL 1.1 that the demo uses, drawn with WebGL.
//
// A browser offers only WebGL, which has no matrix stacks, no glBegin/glEnd, no lighting, no
// attribute stack and no polygon modes. FixedFunction keeps that state itself and draws every
// glBegin/glEnd block as one WebGL draw call with a small shader: vertices transformed by the
// current matrices, lit on the CPU as OpenGL lights them per vertex (point and directional
// lights with ambient and diffuse terms, the default material and the current normal),
// textured with GL_MODULATE, and GL_CLAMP emulated with its black, transparent border. A
// polygon mode of GL_LINE draws each triangle's or quad's edges as lines.
//
// A frame's time in a browser goes mostly to its software rasteriser, so the layer hands it
// as little as it can: each state gets a shader program of its own instead of branches on
// uniforms; the blocks' vertices go, 24 bytes each, one after the other into one buffer
// that grows to the largest need and is then only written into; quads are drawn through a
// fixed index buffer rather than as six vertices each, and those wholly outside the view
// not at all; an edge that two polygons share is drawn once; and state that WebGL already
// has is not passed on again.
//
// The C entry points (glBegin, glPushAttrib, gluPerspective, ...) in GLEntryPoints.cpp call
// the one instance; everything WebGL does on its own (clearing, blending, depth) is passed on.
//
// A browser may take the WebGL context away (a GPU reset, too many pages) and give it back
// empty. So this class also keeps what it would need to draw again: every texture's image
// and parameters and the state it has passed on. restore() rebuilds all of it under the same
// texture names, and the demo goes on as if nothing happened.
#pragma once

#include "Script.h"

#include <GL/gl.h>

#include <array>
#include <cstddef>
#include <map>
#include <vector>

class FixedFunction {
public:
    using Matrix = std::array<float, 16>; // column-major, as OpenGL stores it

    // Compiles the shader in the current WebGL context.
    FixedFunction();
    ~FixedFunction();
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
    void genTextures(GLsizei count, GLuint* textures);
    void bindTexture(GLuint texture);
    void deleteTextures(GLsizei count, const GLuint* textures);
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
    void loadIdentity();
    void pushMatrix();
    void popMatrix();
    // current = current * m, as glMultMatrix.
    void multiply(const Matrix& m);

    void begin(GLenum mode);
    void end();
    void vertex(GLfloat x, GLfloat y, GLfloat z);
    void texCoord(GLfloat s, GLfloat t) { currentTexCoord = {s, t}; }
    void colour(GLfloat r, GLfloat g, GLfloat b, GLfloat a);

    // Makes the program, the buffer, every texture and the passed-on state again, after the
    // browser has given back a lost context.
    void restore();

    static Matrix identity();
    static Matrix product(const Matrix& a, const Matrix& b);

private:
    struct Light {
        std::array<float, 4> ambient{0, 0, 0, 1};
        std::array<float, 4> diffuse{0, 0, 0, 1};
        std::array<float, 4> position{0, 0, 1, 0}; // in eye coordinates
        bool enabled = false;
    };
    // Everything glPushAttrib(GL_ALL_ATTRIB_BITS) saves that the demo changes.
    struct State {
        bool depthTest = false;
        bool blend = false;
        bool texture2D = false;
        bool lighting = false;
        bool polygonLines = false;
        std::array<Light, 8> lights;
        // The current colour as the vertices carry it, a byte a channel.
        std::array<unsigned char, 4> colour{255, 255, 255, 255};
        GLfloat clearColour[4] = {0, 0, 0, 0};
        GLint viewport[4] = {0, 0, Script::width, Script::height};
        GLenum blendSource = GL_ONE;
        GLenum blendDestination = GL_ZERO;
        GLuint texture = 0;
        GLenum matrixMode = GL_MODELVIEW;
    };
    struct TextureInfo {
        GLsizei width = 0;
        GLsizei height = 0;
        bool clampS = false; // GL_CLAMP: coordinates past the edge fade into a black border
        bool clampT = false;
        bool hasImage = false;
        // The image as WebGL was given it, rows padded to the alignment; empty for a copy of
        // the frame, which is made again before it is drawn.
        GLenum format = GL_RGB;
        GLint alignment = 4;
        std::vector<unsigned char> pixels;
        std::map<GLenum, GLint> parameters; // as WebGL was given them
    };
    struct Vertex {
        float position[3];
        float texCoord[2];
        unsigned char colour[4];
    };
    // A shader program for one way of drawing: untextured, or textured with GL_CLAMP on
    // neither, either or both axes. The uniforms it was last given are kept, so that they are
    // only set again when they change.
    enum Variant { Plain, Textured, BorderS, BorderT, BorderST, Variants };
    struct Program {
        GLuint id = 0;
        GLint mvpLocation = -1;
        GLint sizeLocation = -1;
        Matrix mvp{};
        float size[2] = {0, 0};
    };

    std::vector<Matrix>& stack();
    void build();
    Program& use(Variant variant);
    void pass();
    void lightVertices();
    size_t upload(const std::vector<Vertex>& list);
    void prepareProgram();
    size_t prepare(const std::vector<Vertex>& list);
    void point(size_t offset);
    void draw(GLenum mode, const std::vector<Vertex>& list);
    void drawQuads();
    void drawEdges(size_t corners);

    State state;
    std::vector<State> attribStack;
    std::vector<Matrix> modelview{identity()};
    std::vector<Matrix> projection{identity()};
    std::map<GLuint, TextureInfo> textures;
    bool swapBytes = false;
    GLint unpackAlignment = 4;

    GLenum primitive = 0;
    std::array<float, 2> currentTexCoord{0, 0};
    std::vector<Vertex> vertices;
    std::vector<Vertex> expanded;
    std::vector<Vertex> visible;
    // The last block drawn as edges, and its edges: pairs of indices into it, each edge once.
    // WebGL keeps both, the block in a buffer of its own, for as long as the block comes again.
    std::vector<Vertex> edgeBlock;
    size_t edgeCorners = 0;
    std::vector<unsigned short> edges;
    GLuint edgeIndices = 0;
    GLuint edgeVertices = 0;

    // What WebGL has been given, when passedKnown: pass() brings it to state.
    State passed;
    bool passedKnown = false;
    std::array<Program, Variants> programs;
    Variant current = Variants;
    GLuint buffer = 0;
    size_t bufferSize = 0; // bytes
    size_t bufferUsed = 0; // bytes written since the last wrap
    GLuint quadIndices = 0;
    // With WebGL 2, the frame is copied into a texture through this framebuffer (0 without):
    // a blit from the canvas costs the browser less than copyTexSubImage2D's conversion.
    GLuint copyFramebuffer = 0;
    GLuint copyAttached = 0; // the texture attached to it
};
