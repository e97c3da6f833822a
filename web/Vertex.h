// One corner of a glBegin/glEnd block as the layer hands it to WebGL: 24 bytes, the position
// as given, the texture coordinate and the colour current at glVertex, the colour a byte a
// channel as WebGL normalises it. Every part of the layer that touches a block's corners
// (lighting, culling, the edge finder, the buffers) shares this one layout; two corners are
// the same vertex exactly when their 24 bytes are the same.
#pragma once

#include <cmath>

struct Vertex {
    float position[3];
    float texCoord[2];
    unsigned char colour[4];

    // A colour channel as a byte: [0, 1] clamped, then rounded to the nearest of 0..255.
    static unsigned char channel(float value) {
        return static_cast<unsigned char>(std::fmin(std::fmax(value, 0.0f), 1.0f) * 255.0f + 0.5f);
    }
};

static_assert(sizeof(Vertex) == 24, "WebGL is told a vertex is 24 bytes");
