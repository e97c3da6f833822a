#include "DisplayServer.h"

#include <SDL.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef __linux__
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

bool DisplayServer::gone() {
    char name[32] = "";
    if (!SDL_VideoDriverName(name, sizeof name) || std::strcmp(name, "wayland") != 0) {
        return false;
    }
    const std::string socket = waylandSocket();
    return !socket.empty() && !answers(socket);
}

std::string DisplayServer::waylandSocket() {
    if (std::getenv("WAYLAND_SOCKET")) {
        return "";
    }
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const std::string name = display && *display ? display : "wayland-0";
    if (name[0] == '/') {
        return name;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        return "";
    }
    return std::string(runtime) + "/" + name;
}

#ifdef __linux__

bool DisplayServer::answers(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return true; // no client could reach it either; not ours to call lost
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // Non-blocking, so that a compositor too busy to accept at once is not waited for: a full
    // queue (EAGAIN) still means it is there.
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return true;
    }
    const bool refused =
        connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        (errno == ECONNREFUSED || errno == ENOENT || errno == ENOTSOCK);
    close(probe);
    return !refused;
}

#else

// Elsewhere there is no Wayland; the window system ends a program that lost it on its own.
bool DisplayServer::answers(const std::string&) {
    return true;
}

#endif
