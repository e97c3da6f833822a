#include "Distort.h"

#include "Texture.h"

#include <GL/glu.h>
#include <cmath>
#include <cstdlib>
#include <vector>

void distortionField(distortType type, int x, int y, float t, float* u, float* v) {
    // Grid points are integers well below 2^24, so these quotients are exact in float; the
    // sums with t are taken in double, where a late tick count still keeps its milliseconds.
    const double X = x / 32.0f;
    const double Y = y / 32.0f;
    const double T = t;
    double U = X;
    double V = Y;
    switch (type) {
    case DISTORT_RIPPLE:
        U = X + std::sin(X) * std::cos(X) * std::sin(Y + T) * std::cos(Y + T);
        V = Y + std::sin(Y) * std::cos(Y) * std::sin(X - T) * std::cos(X - T);
        break;
    case DISTORT_WAVE:
        U = X + std::sin(X) * std::cos(X) * std::sin(Y - T);
        V = Y + std::sin(Y) * std::cos(Y) * std::sin(X + T);
        break;
    case DISTORT_FOLD:
        U = std::sin(X) * std::cos(Y + T) - std::sin(Y - T) * std::cos(X - T);
        V = std::cos(X) * std::sin(Y + T) + std::sin(X + T) * std::cos(Y + T);
        break;
    case DISTORT_EXPONENTIAL:
        U = std::exp(X) * std::sin(Y + T);
        V = std::exp(Y) * std::sin(X - T);
        break;
    case DISTORT_JITTER: {
        // A fresh random bit for every corner, so neighbouring quads tear apart; the phase
        // follows whole seconds of the tick count, not t.
        const int r = std::rand() % 2;
        const Uint32 seconds = SDL_GetTicks() / 1000;
        U = X + std::sin(Y + r * std::sin(static_cast<double>(seconds)));
        break;
    }
    default:
        break;
    }
    *u = static_cast<float>(U) / 2;
    *v = static_cast<float>(V) / 2;
}

Distort::Distort(int width, int height, distortType type, int step)
    : step(step), width(width), height(height), type(type) {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    // Every end overwrites the image before drawing it; zeros only give it a defined size.
    const std::vector<unsigned char> zeros(static_cast<size_t>(width) * height * 4);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
}

Distort::~Distort() {
    glDeleteTextures(1, &texture);
}

void Distort::begin() {
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, width, height);
}

void Distort::end() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, width, height, 0);

    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glClear(GL_COLOR_BUFFER_BIT);

    // A 128-unit square seen through a 40-degree lens at the ortho's depth: with a 256-wide
    // grid shifted by 96, grid x 1 .. 63 and y 9 .. 55 fill a 4:3 window.
    glLoadIdentity();
    gluPerspective(40.0, static_cast<double>(viewport[2]) / viewport[3], 0.1, 100.0);
    glOrtho(-64.0, 64.0, -64.0, 64.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(96.0f, 96.0f, 0.0f);

    // The grid is width x width: height only sizes the texture and the copied rectangle.
    const int h = width / 2;
    glBegin(GL_QUADS);
    walkDistortedGrid(type, width, step, [h](int cx, int cy, float u, float v) {
        glTexCoord2f(u, v);
        glVertex3f(static_cast<float>(cx - h), static_cast<float>(cy - h), 0.0f);
    });
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    // The pop brings back the capture viewport that begin set, hence the second restore.
    glPopAttrib();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void Distort::make_distortion(int x, int y, float* u, float* v, float t) const {
    distortionField(type, x, y, t, u, v);
}

void Distort::fux(int size, float, int, int gridStep, Texture* image) {
    const float h = size / 2.0f;
    image->bind();
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    walkDistortedGrid(type, size, gridStep, [h](int cx, int cy, float u, float v) {
        glTexCoord2f(u, v);
        glVertex3f(cx - h, cy - h, 0.0f);
    });
    glEnd();
}
