// Whether the display server that the window is on has gone away.
//
// On X11 a lost server ends the process in Xlib, with status 1. SDL's Wayland back end
// instead turns a lost compositor into the same quit request that closing the window sends,
// and the show ignores those; so when a quit request comes, the window asks here whether the
// compositor still answers. It does when a new connection to its socket is accepted (or
// waits in its queue); a socket that refuses connections, or is gone, means the compositor
// is gone. Nothing is sent on the probing connection, which is closed at once.
#pragma once

#include <string>

class DisplayServer {
public:
    // True when the window is on Wayland and its compositor no longer answers; false on every
    // other video driver, and on Wayland while the compositor answers.
    static bool gone();

    // The compositor's socket as the Wayland client library finds it: WAYLAND_DISPLAY (default
    // "wayland-0") taken as a path when it is absolute, under XDG_RUNTIME_DIR otherwise. Empty
    // when there is none to probe: a relative name without XDG_RUNTIME_DIR, or a connection
    // handed over in WAYLAND_SOCKET.
    static std::string waylandSocket();

    // False when connecting to the Unix socket at path is refused or finds nothing there.
    static bool answers(const std::string& path);
};
