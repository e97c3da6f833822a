#include "Process.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace e2e {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool waitUntil(const std::function<bool()>& done, double timeoutSeconds) {
    const double deadline = now() + timeoutSeconds;
    while (!done()) {
        if (now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string exe() {
    const char* path = std::getenv("ZOKK_EXE");
    return path ? path : "zokk";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string commandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return out;
    }
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    pclose(pipe);
    return out;
}

bool exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

void removeTree(const std::string& dir) {
    std::system(("rm -rf '" + dir + "'").c_str());
}

Demo::Demo(const std::map<std::string, std::string>& env, const std::string& workDir) {
    static int serial = 0;
    const std::string stem = testimages::outputDir() + "/zokk-" + std::to_string(getpid()) + "-" +
                             std::to_string(++serial);
    outPath = stem + ".out";
    errPath = stem + ".err";
    // Emptied before the child starts, so that nothing reads a run's file left by an earlier
    // run (in a PID namespace of its own, a test's process ids, and with them these names, are
    // the same at every run).
    for (const std::string& path : {outPath, errPath}) {
        close(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    }
    const std::string program = exe();
    started = now();
    pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : env) {
            if (value.empty()) {
                unsetenv(name.c_str());
            } else {
                setenv(name.c_str(), value.c_str(), 1);
            }
        }
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(workDir.c_str()) != 0) {
            _exit(126);
        }
        dup2(out, 1);
        dup2(err, 2);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
}

Demo::~Demo() {
    if (running()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool Demo::running() {
    if (pid <= 0 || elapsed > 0) {
        return false;
    }
    int raw = 0;
    const pid_t done = waitpid(pid, &raw, WNOHANG);
    if (done == 0) {
        return true;
    }
    elapsed = now() - started;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return false;
}

void Demo::signal(int number) {
    if (running()) {
        ::kill(pid, number);
    }
}

bool Demo::wait(double timeoutSeconds) {
    const double deadline = now() + timeoutSeconds;
    while (running()) {
        if (now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            elapsed = now() - started;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool Demo::waitForLines(int n, double timeoutSeconds) {
    const auto lines = [this] {
        const std::string text = out();
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    };
    const double deadline = now() + timeoutSeconds;
    while (now() < deadline && running()) {
        if (lines() >= n) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return lines() >= n;
}

double Demo::secondsSinceStart() const {
    return now() - started;
}

std::string Demo::out() const {
    return readFile(outPath);
}

std::string Demo::err() const {
    return readFile(errPath);
}

XServer::XServer() {
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten",
               "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The server writes its display number once it accepts clients.
    char number[16] = "";
    size_t got = 0;
    ssize_t n;
    while (got + 1 < sizeof number && (n = read(fds[0], number + got, 1)) == 1 &&
           number[got] != '\n') {
        ++got;
    }
    close(fds[0]);
    number[got] = '\0';
    if (got > 0) {
        name = std::string(":") + number;
    }
}

XServer::~XServer() {
    kill();
}

void XServer::kill() {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

Compositor::Compositor(const std::string& mode) {
    static int serial = 0;
    const char* config = std::getenv("ZOKK_SWAY_CONFIG");
    if (!config) {
        ADD_FAILURE() << "no $ZOKK_SWAY_CONFIG: not on the desktop of with-desktop.sh";
        return;
    }
    const std::string stem = testimages::outputDir() + "/sway-" + std::to_string(getpid()) + "-" +
                             std::to_string(++serial);
    const std::string ready = stem + ".ready";
    std::remove(ready.c_str());
    pid = fork();
    if (pid == 0) {
        setenv("ZOKK_SWAY_READY", ready.c_str(), 1);
        const int log = open((stem + ".log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, 1);
        dup2(log, 2);
        execlp("sway", "sway", "-c", config, static_cast<char*>(nullptr));
        _exit(127);
    }
    // The config has it write its display and socket, one line, once it accepts clients.
    const double deadline = now() + 10;
    std::string line;
    while ((line = readFile(ready)).find('\n') == std::string::npos) {
        if (now() > deadline || waitpid(pid, nullptr, WNOHANG) == pid) {
            kill();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::remove(ready.c_str());
    std::istringstream(line) >> name >> socket;
    const std::string command = "swaymsg -s '" + socket + "' output HEADLESS-1 mode " + mode;
    if (std::system((command + " >/dev/null").c_str()) != 0) {
        ADD_FAILURE() << "sway refused: " << command;
    }
}

Compositor::~Compositor() {
    kill();
}

void Compositor::kill() {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

SoundSink::SoundSink(const std::string& sinkName, const std::string& path) : name(sinkName) {
    module = commandOutput("pactl load-module module-null-sink sink_name=" + name);
    module = module.substr(0, module.find('\n'));
    if (module.empty()) {
        return;
    }
    recorder = fork();
    if (recorder == 0) {
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        dup2(file, 1);
        dup2(null, 2);
        execlp("parec", "parec", "-d", (name + ".monitor").c_str(), "--raw", "--format=s16le",
               "--rate=44100", "--channels=2", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Recording from the first sample on wants the recorder linked to the monitor before the
    // show starts.
    const double deadline = now() + 10;
    while (commandOutput("pw-link -l").find(name + ":monitor_FL\n  |-> ") == std::string::npos) {
        if (now() > deadline) {
            stop();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

SoundSink::~SoundSink() {
    stop();
    if (!module.empty()) {
        std::system(("pactl unload-module " + module).c_str());
    }
}

std::map<std::string, std::string> SoundSink::env() const {
    return {{"PULSE_SINK", name}, {"PIPEWIRE_NODE", name}};
}

void SoundSink::stop() {
    if (recorder > 0) {
        ::kill(recorder, SIGINT);
        waitpid(recorder, nullptr, 0);
        recorder = -1;
    }
}

SwayWindow swayWindow(const std::string& title, const std::string& ipcSocket) {
    const std::string sway = ipcSocket.empty() ? "swaymsg" : "swaymsg -s '" + ipcSocket + "'";
    std::istringstream found(
        commandOutput(sway + " -t get_tree | jq -r --arg title '" + title +
                      "' '.. | objects | select(has(\"pid\") and .name == $title) | "
                      "\"\\(.fullscreen_mode) \\(.rect.width) \\(.rect.height)\"'"));
    SwayWindow window;
    int fullscreen = 0;
    if (found >> fullscreen >> window.width >> window.height) {
        window.shown = true;
        window.fullscreen = fullscreen != 0;
    }
    return window;
}

namespace {
std::string onDisplay(const std::string& display) {
    return display.empty() ? "" : "WAYLAND_DISPLAY='" + display + "' ";
}
} // namespace

testimages::Image waylandScreenshot(const std::string& display) {
    static int serial = 0;
    const std::string path = testimages::outputDir() + "/grim-" + std::to_string(getpid()) + "-" +
                             std::to_string(++serial) + ".png";
    testimages::Image image;
    // Uncompressed, as it is read at once and thrown away.
    if (std::system((onDisplay(display) + "grim -l 0 '" + path + "'").c_str()) != 0 ||
        !testimages::loadPNG(path, image)) {
        ADD_FAILURE() << "grim took no screenshot";
    }
    std::remove(path.c_str());
    return image;
}

void typeKey(const std::string& key, const std::string& display) {
    // wtype's keyboard appears when it starts, and a key it sends before the window has
    // taken the keyboard is lost; a second's wait lets the window's event loop catch up.
    const std::string command = onDisplay(display) + "wtype -s 1000 -k " + key;
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "wtype failed: " << command;
    }
}

testimages::Image screenshot() {
    testimages::Image image;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return image;
    }
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* shot =
        XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (shot) {
        image.width = attributes.width;
        image.height = attributes.height;
        image.rgb.resize(3 * image.width * image.height);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const unsigned long pixel = XGetPixel(shot, x, y);
                unsigned char* rgb = &image.rgb[3 * (y * image.width + x)];
                rgb[0] = (pixel & shot->red_mask) >> 16;
                rgb[1] = (pixel & shot->green_mask) >> 8;
                rgb[2] = pixel & shot->blue_mask;
            }
        }
        XDestroyImage(shot);
    }
    XCloseDisplay(display);
    return image;
}

void pressKey(const std::string& key) {
    const std::string command = "xdotool key " + key;
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "xdotool failed: " << command;
    }
}

} // namespace e2e
