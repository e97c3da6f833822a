// The real zokk executable as a child process for the e2e tests: started from the repository
// root with extra environment, its standard output and error captured to files, its wall time
// measured, and always ended when the test is done with it. Also screenshots of the test's X
// display and key presses sent to it, and a second X server that a test can take away; and on
// the Wayland desktop of tests/desktop/with-desktop.sh, the same for its sway, what sway says of
// a window, and a null sink of its sound server whose sound is recorded.
#pragma once

#include "Images.h"

#include <functional>
#include <map>
#include <string>
#include <sys/types.h>

namespace e2e {

class Demo {
public:
    // Starts $ZOKK_EXE in workDir with the environment changed by env (an empty value unsets
    // the variable).
    explicit Demo(const std::map<std::string, std::string>& env = {},
                  const std::string& workDir = ".");
    ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Waits up to timeoutSeconds for the exit; false (and the process is killed) on time-out.
    bool wait(double timeoutSeconds);
    bool running();
    void signal(int number);
    // Waits until it has written n lines on standard output; false when it ended or time ran
    // out first.
    bool waitForLines(int n, double timeoutSeconds);

    int exitStatus() const { return status; }  // -1 unless it exited normally
    double seconds() const { return elapsed; } // from start to exit
    double secondsSinceStart() const;
    std::string out() const;
    std::string err() const;

private:
    pid_t pid = -1;
    int status = -1;
    double started = 0;
    double elapsed = 0;
    std::string outPath, errPath;
};

// An Xvfb of the test's own (640 x 480 x 24, on a display number it picks itself), for a test
// that takes the display away from a program; stopped with the object if not before.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // ":N", or "" when the server did not start.
    const std::string& display() const { return name; }
    // Kills the server outright, as a crash would.
    void kill();

private:
    pid_t pid = -1;
    std::string name;
};

// A sway of the test's own beside the desktop's (the same user, runtime folder and sound
// server; the compositor's config in $ZOKK_SWAY_CONFIG), its one output in the given mode
// ("800x600@60Hz"), for a test that takes the compositor away from a program or wants an output
// of another size; stopped with the object if not before. Its log is sway-<N>.log in the test
// output.
class Compositor {
public:
    explicit Compositor(const std::string& mode);
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // Its WAYLAND_DISPLAY and SWAYSOCK; "" when it did not start.
    const std::string& display() const { return name; }
    const std::string& ipcSocket() const { return socket; }
    // Kills it outright, as a crash would.
    void kill();

private:
    pid_t pid = -1;
    std::string name, socket;
};

// A null sink of the desktop's sound server, whose monitor is recorded (parec, raw signed
// 16-bit stereo at 44.1 kHz, as SDL's disk driver writes it) into path from when the object is
// made until stop(); the sink is removed with the object. env() sends a show's sound there with
// SDL's pulseaudio driver (PULSE_SINK) and with its pipewire driver (PIPEWIRE_NODE).
class SoundSink {
public:
    SoundSink(const std::string& name, const std::string& path);
    ~SoundSink();
    SoundSink(const SoundSink&) = delete;
    SoundSink& operator=(const SoundSink&) = delete;

    // False when the sink or its recording could not be set up.
    bool recording() const { return recorder > 0; }
    std::map<std::string, std::string> env() const;
    // Ends the recording, leaving the file complete.
    void stop();

private:
    std::string name;
    std::string module;
    pid_t recorder = -1;
};

// What sway (at the IPC socket ipcSocket, or $SWAYSOCK) shows of the window titled title.
struct SwayWindow {
    bool shown = false;
    bool fullscreen = false;
    int width = 0; // the window's rectangle on its output, with any border
    int height = 0;
};
SwayWindow swayWindow(const std::string& title, const std::string& ipcSocket = "");

// The whole output of the Wayland display (or $WAYLAND_DISPLAY), taken with grim.
testimages::Image waylandScreenshot(const std::string& display = "");

// Presses and releases a key (an xkb name: "Escape", "f") on the Wayland display (or
// $WAYLAND_DISPLAY) through a virtual keyboard (wtype), and returns when it has been released.
void typeKey(const std::string& key, const std::string& display = "");

// Path of the executable under test ($ZOKK_EXE).
std::string exe();

// The whole root window of $DISPLAY, top row first.
testimages::Image screenshot();

// Presses and releases a key on $DISPLAY (xdotool key names: "Escape", "f").
void pressKey(const std::string& key);

double now();
void sleepSeconds(double seconds);
// Asks done() every 50 ms until it says true (true) or time runs out (false).
bool waitUntil(const std::function<bool()>& done, double timeoutSeconds);

// The whole of a file, byte for byte ("" when it cannot be read).
std::string readFile(const std::string& path);
// Standard output of a shell command, byte for byte.
std::string commandOutput(const std::string& command);
bool exists(const std::string& path);
// Removes a folder and everything in it.
void removeTree(const std::string& dir);

} // namespace e2e
