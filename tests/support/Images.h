// Pictures for the tests: frame read-back, PNG files, and comparison with a reference within a
// stated tolerance. A failed comparison writes the actual, expected and difference images
// under $ZOKK_TEST_OUT (default: test-output/ in the working directory).
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testimages {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // 3 bytes a pixel, top row first

    const unsigned char* at(int x, int y) const { return &rgb[3 * (y * width + x)]; }
};

// Reads a rectangle of the current read buffer (the back buffer before a swap); x and y
// count from the lower left as OpenGL does, the result is stored top row first.
Image readFrame(int x = 0, int y = 0, int width = 640, int height = 480);

bool loadPNG(const std::string& path, Image& out);
bool savePNG(const std::string& path, const Image& image);

// Path of a committed reference picture: tests/references/<name>.png.
std::string reference(const std::string& name);

// Where failure images go; created on demand.
std::string outputDir();

// A pixel differs when any channel differs by more than channelTolerance; the comparison
// fails when more than maxDifferingFraction of the pixels differ (or the sizes differ).
// With ZOKK_UPDATE_REFERENCES=1 in the environment the reference is (re)written instead.
::testing::AssertionResult matchesReference(const Image& actual, const std::string& referencePath,
                                            int channelTolerance, double maxDifferingFraction);

// Share of pixels where any channel differs by more than channelTolerance (1 for other sizes).
double differingFraction(const Image& a, const Image& b, int channelTolerance);

// The largest difference of any channel of any pixel (256 for other sizes).
int worstDifference(const Image& a, const Image& b);

// Mean of each channel over the whole image, 0..255.
void meanColour(const Image& image, double mean[3]);

} // namespace testimages
