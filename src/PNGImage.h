// One PNG file decoded into memory, ready to hand to OpenGL as a texture image.
//
// The constructor reads the whole file at once through libpng: palette images and gray images
// below 8 bits are expanded, a tRNS chunk becomes an alpha channel, and a gAMA chunk is
// corrected for a linear screen. The image owns the resulting pixel block (rows packed without
// gaps, bottom row first, because OpenGL's t = 0 is the bottom edge) and frees it on
// destruction. 16-bit samples stay 16-bit, two big-endian bytes each.
//
// A load that fails writes one line beginning with "PNG: " to standard error and leaves the
// image empty: no pixels, zero size, and isLoaded() false.
#pragma once

#include <GL/gl.h>

class PNGImage {
public:
    explicit PNGImage(const char* path);
    ~PNGImage();

    PNGImage(const PNGImage&) = delete;
    PNGImage& operator=(const PNGImage&) = delete;

    // The first byte of the bottom row; null when the load failed.
    unsigned char* getData() const { return data; }
    // GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB or GL_RGBA; 0 when the load failed.
    GLenum getType() const { return type; }
    unsigned getWidth() const { return width; }
    unsigned getHeight() const { return height; }
    // Samples per pixel in the block, as the type says: 1 to 4 (0 when the load failed).
    unsigned getChannels() const;
    // Bits per sample in the block: 8 or 16 (0 when the load failed).
    unsigned getBitDepth() const { return bitDepth; }
    bool isLoaded() const { return data != nullptr; }

private:
    unsigned width = 0;
    unsigned height = 0;
    GLenum type = 0;
    unsigned char* data = nullptr;
    unsigned bitDepth = 0;
};
