// Copies the frame drawn so far into a texture, as glCopyTexImage2D, the cheapest way the
// context allows.
//
// A texture that already holds a copy of the same size is written over rather than made again.
// With WebGL 2 that is a blit from the canvas through a framebuffer of its own, which Chromium
// on SwiftShader does as a plain copy, where copyTexSubImage2D costs it a conversion pass of
// about 3 ms a frame; WebGL 1 has no blit and copies. The canvas has no alpha channel, and WebGL
// copies only the channels it has, so every copy is RGB.
//
// The copy goes into the texture WebGL has bound, which the caller binds first. The blit binds
// its framebuffer for the draw and the canvas again after it, so that drawing always goes to
// the canvas.
#pragma once

#include <GL/gl.h>

class FrameCopier {
public:
    // Makes the framebuffer, with WebGL 2, in the current context.
    FrameCopier() { build(); }
    ~FrameCopier();
    FrameCopier(const FrameCopier&) = delete;
    FrameCopier& operator=(const FrameCopier&) = delete;

    // After the browser has given back a lost context.
    void rebuild() { build(); }

    // A new copy of the frame's rectangle into the bound texture.
    void copyNew(GLint x, GLint y, GLsizei width, GLsizei height);
    // The frame's rectangle over the bound texture, named texture, which already holds a copy
    // of this size.
    void copyOver(GLuint texture, GLint x, GLint y, GLsizei width, GLsizei height);
    // WebGL detaches a texture it deletes from the framebuffer, and the name may come back for
    // another texture.
    void textureDeleted(GLuint texture);

private:
    void build();

    GLuint framebuffer = 0; // 0 without WebGL 2
    GLuint attached = 0;    // the texture attached to it
};
