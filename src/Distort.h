// The demo's distortion grid effect.
//
// A Distort captures the lower-left corner of the frame into a texture of its own and draws
// it back across the whole window on a grid of quads whose texture coordinates are moved by
// a time-dependent displacement field; it can also draw any texture on such a grid in the
// caller's transform. It owns the capture texture: made by the constructor, deleted by the
// destructor, so a GL context must be current for both.
//
// The field and the order in which the grid's corners are visited are kept free of GL calls
// (distortionField, walkDistortedGrid) so that they can be checked without a display.
#pragma once

#include <GL/gl.h>
#include <SDL.h>

class Texture;

// Shape of the displacement field; any other value draws the undisplaced picture.
enum distortType : int {
    DISTORT_NONE = 0,
    DISTORT_RIPPLE = 1,
    DISTORT_WAVE = 2,
    DISTORT_FOLD = 3,
    DISTORT_EXPONENTIAL = 4,
    DISTORT_JITTER = 5,
};

// Texture coordinates (*u, *v) for grid point (x, y), in texels of the grid, at t seconds.
// The undisplaced field maps (x, y) to (x / 64, y / 64). DISTORT_JITTER ignores t: it reads
// the tick counter itself and draws one rand() per call.
void distortionField(distortType type, int x, int y, float t, float* u, float* v);

// Walks an extent x extent grid of step-sized quads, columns outer and rows inner, and hands
// every corner to emit(cx, cy, u, v) in quad order (gx, gy), (gx, gy + step),
// (gx + step, gy + step), (gx + step, gy). Every corner reads the tick counter anew and is
// evaluated on its own, also where quads share it: that is what makes DISTORT_JITTER tear
// along quad edges. The last quads reach past extent when step does not divide it.
template <typename Emit>
void walkDistortedGrid(distortType type, int extent, int step, Emit&& emit) {
    auto corner = [&](int cx, int cy) {
        const float t = static_cast<float>(SDL_GetTicks() / 1000.0);
        float u, v;
        distortionField(type, cx, cy, t, &u, &v);
        emit(cx, cy, u, v);
    };
    for (int gx = 0; gx < extent; gx += step) {
        for (int gy = 0; gy < extent; gy += step) {
            corner(gx, gy);
            corner(gx, gy + step);
            corner(gx + step, gy + step);
            corner(gx + step, gy);
        }
    }
}

class Distort {
public:
    // width and height are the capture size in pixels, powers of two; step is the grid cell
    // size in texels, at least 1. Leaves the new capture texture bound.
    Distort(int width, int height, distortType type, int step);
    ~Distort();

    Distort(const Distort&) = delete;
    Distort& operator=(const Distort&) = delete;

    // Saves the caller's viewport and narrows drawing to the lower-left width x height pixels.
    void begin();
    // Copies that corner into the capture texture, clears the colour buffer and draws the copy
    // warped across the saved viewport; GL attributes, both matrices and the matrix mode come
    // back as they were, and the viewport as begin found it.
    void end();

    // The displacement field of this effect's type (see distortionField).
    void make_distortion(int x, int y, float* u, float* v, float t) const;

    // Draws a size x size grid of step-sized quads centred on the origin of the caller's
    // transform, textured with image through this effect's field. Leaves image bound and
    // texturing enabled; changes nothing else. The second and third arguments are unused.
    void fux(int size, float, int, int gridStep, Texture* image);

private:
    GLint viewport[4] = {0, 0, 0, 0};
    int step;
    GLuint texture;
    int width;
    int height;
    distortType type;
};
