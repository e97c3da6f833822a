#include "Recorder.h"

#include "FrameSeam.h"
#include "Script.h"

#include <GL/gl.h>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <unistd.h>

Recorder::Recorder(int fps, std::FILE* out)
    : clock(fps, Script::durations, Script::sceneCount), out(out),
      progress(isatty(STDERR_FILENO) == 1),
      pixels(static_cast<size_t>(Script::width) * Script::height * 3),
      started(std::chrono::steady_clock::now()), shown(started) {
    FrameSeam::setClock([this] { return clock.ticksAt(frame); });
    // While recording nothing is presented: nobody watches the private display, and presenting
    // a frame costs about as much as drawing it. Every frame clears its buffers first, so the
    // back buffer needs no swap to be drawn into again.
    FrameSeam::setSwap([this] { frameDrawn(); });
}

Recorder::~Recorder() {
    FrameSeam::setClock({});
    FrameSeam::setSwap({});
}

void Recorder::frameDrawn() {
    if (frame >= clock.frameCount()) {
        // One frame too many: counted by finish, never written.
        ++frame;
        return;
    }
    if (frame == 0) {
        // The rate counts from the first frame, after the window and the scenes are made.
        started = std::chrono::steady_clock::now();
    }
    writeFrame();
    ++frame;
    if (progress) {
        showProgress(false);
    }
}

void Recorder::writeFrame() {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Script::width, Script::height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    if (writeFailed) {
        return;
    }
    // OpenGL's rows run bottom up, a video's top down.
    const size_t row = static_cast<size_t>(Script::width) * 3;
    for (int y = Script::height - 1; y >= 0; --y) {
        if (std::fwrite(&pixels[y * row], 1, row, out) != row) {
            std::cerr << "\nzokk-capture: writing the frames failed: " << std::strerror(errno)
                      << std::endl;
            writeFailed = true;
            return;
        }
    }
}

void Recorder::showProgress(bool last) {
    const auto now = std::chrono::steady_clock::now();
    if (!last && now - shown < std::chrono::milliseconds(250)) {
        return;
    }
    shown = now;
    const double seconds = std::chrono::duration<double>(now - started).count();
    const double rate = seconds > 0 ? frame / seconds : 0;
    const int total = clock.frameCount();
    const double left = rate > 0 ? (total - frame) / rate : 0;
    std::fprintf(stderr, "\rframe %d of %d, %.0f frames per second, %.0f s left   ", frame, total,
                 rate, left);
    std::fflush(stderr);
}

bool Recorder::finish(bool whole) {
    if (progress) {
        showProgress(true);
        std::fputc('\n', stderr);
    }
    if (std::fflush(out) != 0 && !writeFailed) {
        std::cerr << "zokk-capture: writing the frames failed: " << std::strerror(errno)
                  << std::endl;
        writeFailed = true;
    }
    if (whole && frame != clock.frameCount()) {
        std::cerr << "zokk-capture: the show drew " << frame << " frames, " << clock.frameCount()
                  << " expected" << std::endl;
        return false;
    }
    return !writeFailed;
}
