// The layer's shader programs, one for each way of drawing, and the uniforms each was last
// given.
//
// A frame's time in a browser goes mostly to its software rasteriser, so each way of drawing
// gets a program of its own rather than branches on uniforms: untextured (Plain), textured
// with GL_MODULATE (Textured), and textured with GL_CLAMP on the s axis, the t axis or both
// (BorderS, BorderT, BorderST), whose black, transparent border WebGL does not have. A uniform
// is only set again when its value changes. Every variant is made while there is a context:
// WebGL makes nothing while the context is lost, and a variant may be drawn with first then.
//
// The vertex attributes are bound to fixed locations, which VertexBuffers points at the
// vertices; use() enables the texture coordinates' array only for the variants that read it.
#pragma once

#include "Matrix.h"

#include <GL/gl.h>

#include <array>

class ShaderPrograms {
public:
    enum Variant { Plain, Textured, BorderS, BorderT, BorderST, Variants };
    enum Attribute : GLuint { PositionAttribute = 0, ColourAttribute = 1, TexCoordAttribute = 2 };

    static Variant variantFor(bool textured, bool clampS, bool clampT);

    // Makes every variant in the current context.
    ShaderPrograms() { build(); }
    ~ShaderPrograms();
    ShaderPrograms(const ShaderPrograms&) = delete;
    ShaderPrograms& operator=(const ShaderPrograms&) = delete;

    // After the browser has given back a lost context: drops the old programs' names (WebGL
    // refuses to delete them now; they went with the old context) and makes them all again.
    void rebuild();

    // Draws from now on with variant, mvp its model-view-projection matrix, and for the
    // border variants width by height the texture's size in texels.
    void use(Variant variant, const Matrix& mvp, float width, float height);

private:
    struct Program {
        GLuint id = 0;
        GLint mvpLocation = -1;
        GLint sizeLocation = -1;
        Matrix mvp;
        float size[2] = {0, 0};
    };
    void build();

    std::array<Program, Variants> programs;
    Variant current = Variants; // none in use
};
