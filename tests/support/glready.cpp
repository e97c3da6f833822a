// Exits 0 once the display answers with a working GLX context, printing the renderer.
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "glready: cannot open the display\n");
        return 1;
    }
    int attributes[] = {GLX_RGBA, GLX_DEPTH_SIZE, 24, GLX_DOUBLEBUFFER, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual) {
        std::fprintf(stderr, "glready: no double-buffered RGBA visual with depth\n");
        XCloseDisplay(display);
        return 1;
    }
    Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes swa{};
    swa.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    Window window = XCreateWindow(display, root, 0, 0, 16, 16, 0, visual->depth, InputOutput,
                                  visual->visual, CWColormap, &swa);
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    int rc = 1;
    if (context && glXMakeCurrent(display, window, context)) {
        const GLubyte* renderer = glGetString(GL_RENDERER);
        if (renderer) {
            std::printf("%s\n", reinterpret_cast<const char*>(renderer));
            rc = 0;
        }
        glXMakeCurrent(display, None, nullptr);
    }
    if (context) {
        glXDestroyContext(display, context);
    }
    XDestroyWindow(display, window);
    XFreeColormap(display, swa.colormap);
    XFree(visual);
    XCloseDisplay(display);
    return rc;
}
