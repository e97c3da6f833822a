#include "GLTestWindow.h"

#include "SDLWindow.h"

#include <GL/gl.h>
#include <memory>

namespace glwindow {

bool open() {
    static std::unique_ptr<SDLWindow> window;
    if (!window) {
        window = std::make_unique<SDLWindow>("zokk test", 640, 480, 24, false);
    }
    return window->isOpen();
}

unsigned pendingError() {
    GLenum first = GL_NO_ERROR;
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
        if (first == GL_NO_ERROR) {
            first = e;
        }
    }
    return first;
}

} // namespace glwindow
