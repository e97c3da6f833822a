#include "FrameCopier.h"

#include "WebGL.h"

#include <emscripten/html5.h>

void FrameCopier::build() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_get_context_attributes(emscripten_webgl_get_current_context(), &attributes);
    framebuffer = 0;
    attached = 0;
    if (attributes.majorVersion >= 2) {
        emscripten_glGenFramebuffers(1, &framebuffer);
    }
}

FrameCopier::~FrameCopier() {
    if (framebuffer != 0) {
        emscripten_glDeleteFramebuffers(1, &framebuffer);
    }
}

void FrameCopier::copyNew(GLint x, GLint y, GLsizei width, GLsizei height) {
    emscripten_glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, x, y, width, height, 0);
}

void FrameCopier::copyOver(GLuint texture, GLint x, GLint y, GLsizei width, GLsizei height) {
    if (framebuffer == 0) {
        emscripten_glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, width, height);
        return;
    }
    emscripten_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    if (attached != texture) {
        emscripten_glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                          texture, 0);
        attached = texture;
    }
    emscripten_glBlitFramebuffer(x, y, x + width, y + height, 0, 0, width, height,
                                 GL_COLOR_BUFFER_BIT, GL_NEAREST);
    emscripten_glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
}

void FrameCopier::textureDeleted(GLuint texture) {
    if (attached == texture) {
        attached = 0;
    }
}
