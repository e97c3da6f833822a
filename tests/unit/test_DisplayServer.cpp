// Telling a lost Wayland compositor from a window's close request: where its socket is, and
// whether it still takes connections.
#include "DisplayServer.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A Unix socket bound at path, listening or not, closed with the object.
class Socket {
public:
    Socket(const std::string& path, bool listening) : fd(socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
        if (listening) {
            EXPECT_EQ(listen(fd, 1), 0);
        }
    }
    ~Socket() { close(fd); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

private:
    int fd;
};

class DisplayServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() / ("zokk-display-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::filesystem::remove_all(folder);
        for (const char* name : {"WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_RUNTIME_DIR"}) {
            unsetenv(name);
        }
    }
    std::string at(const char* name) const { return (folder / name).string(); }
    std::filesystem::path folder;
};

TEST_F(DisplayServerTest, FindsTheSocketAsTheWaylandClientLibraryDoes) {
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(DisplayServer::waylandSocket(), "") << "a relative name needs the runtime folder";
    setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    EXPECT_EQ(DisplayServer::waylandSocket(), "/run/user/1000/wayland-0");
    setenv("WAYLAND_DISPLAY", "wayland-7", 1);
    EXPECT_EQ(DisplayServer::waylandSocket(), "/run/user/1000/wayland-7");
    setenv("WAYLAND_DISPLAY", "/tmp/elsewhere", 1);
    EXPECT_EQ(DisplayServer::waylandSocket(), "/tmp/elsewhere");
    setenv("WAYLAND_SOCKET", "5", 1);
    EXPECT_EQ(DisplayServer::waylandSocket(), "") << "a connection handed over has no socket";
}

// A killed compositor leaves its socket refusing connections, one that quit removes it; one
// that is alive takes them, however busy.
TEST_F(DisplayServerTest, AnswersWhileTheSocketListensAndNotOnceItIsGone) {
    {
        Socket compositor(at("alive"), true);
        EXPECT_TRUE(DisplayServer::answers(at("alive")));
    }
    EXPECT_FALSE(DisplayServer::answers(at("alive"))) << "left behind, refusing";
    {
        Socket bound(at("bound"), false);
        EXPECT_FALSE(DisplayServer::answers(at("bound"))) << "bound, never listening";
    }
    EXPECT_FALSE(DisplayServer::answers(at("missing")));
    std::filesystem::create_directories(at("folder"));
    EXPECT_FALSE(DisplayServer::answers(at("folder")));
}

// Off Wayland (the test has no video driver at all) a quit request is never a lost display.
TEST_F(DisplayServerTest, IsNeverGoneOffWayland) {
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    EXPECT_FALSE(DisplayServer::gone());
}

} // namespace
