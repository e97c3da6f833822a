#include "Images.h"

#include <GL/gl.h>
#include <cstdlib>
#include <png.h>
#include <sys/stat.h>

namespace testimages {

Image readFrame(int x, int y, int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    std::vector<unsigned char> bottomFirst(3 * width * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
    image.rgb.resize(bottomFirst.size());
    for (int row = 0; row < height; ++row) {
        std::copy_n(&bottomFirst[3 * width * (height - 1 - row)], 3 * width,
                    &image.rgb[3 * width * row]);
    }
    return image;
}

bool loadPNG(const std::string& path, Image& out) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(png.width);
    out.height = static_cast<int>(png.height);
    out.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, out.rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

bool savePNG(const std::string& path, const Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
}

std::string reference(const std::string& name) {
    return "tests/references/" + name + ".png";
}

std::string outputDir() {
    const char* env = std::getenv("ZOKK_TEST_OUT");
    std::string dir = env && *env ? env : "test-output";
    mkdir(dir.c_str(), 0755);
    return dir;
}

static std::string baseName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    return name.substr(0, name.rfind('.'));
}

::testing::AssertionResult matchesReference(const Image& actual, const std::string& referencePath,
                                            int channelTolerance, double maxDifferingFraction) {
    const char* update = std::getenv("ZOKK_UPDATE_REFERENCES");
    if (update && std::string(update) == "1") {
        if (!savePNG(referencePath, actual)) {
            return ::testing::AssertionFailure() << "cannot write " << referencePath;
        }
        return ::testing::AssertionSuccess() << "reference written";
    }

    const std::string stem = outputDir() + "/" + baseName(referencePath);
    Image expected;
    if (!loadPNG(referencePath, expected)) {
        savePNG(stem + "-actual.png", actual);
        return ::testing::AssertionFailure() << "no reference " << referencePath
                                             << "; actual written to " << stem << "-actual.png";
    }
    if (expected.width != actual.width || expected.height != actual.height) {
        savePNG(stem + "-actual.png", actual);
        return ::testing::AssertionFailure()
               << "size " << actual.width << "x" << actual.height << " differs from reference "
               << expected.width << "x" << expected.height;
    }

    Image diff = actual;
    long differing = 0;
    int worst = 0;
    for (size_t i = 0; i < actual.rgb.size(); i += 3) {
        int largest = 0;
        for (int c = 0; c < 3; ++c) {
            largest = std::max(largest, std::abs(actual.rgb[i + c] - expected.rgb[i + c]));
        }
        worst = std::max(worst, largest);
        const bool differs = largest > channelTolerance;
        differing += differs;
        // The difference image shows differing pixels in red over a dimmed actual frame.
        diff.rgb[i] = differs ? 255 : actual.rgb[i] / 4;
        diff.rgb[i + 1] = differs ? 0 : actual.rgb[i + 1] / 4;
        diff.rgb[i + 2] = differs ? 0 : actual.rgb[i + 2] / 4;
    }
    const double fraction = double(differing) / (actual.width * actual.height);
    if (fraction <= maxDifferingFraction) {
        return ::testing::AssertionSuccess();
    }
    savePNG(stem + "-actual.png", actual);
    savePNG(stem + "-expected.png", expected);
    savePNG(stem + "-diff.png", diff);
    return ::testing::AssertionFailure()
           << referencePath << ": " << fraction * 100 << "% of pixels differ by more than "
           << channelTolerance << " (allowed " << maxDifferingFraction * 100 << "%), worst "
           << worst << "; see " << stem << "-{actual,expected,diff}.png";
}

double differingFraction(const Image& a, const Image& b, int channelTolerance) {
    if (a.width != b.width || a.height != b.height || a.width * a.height == 0) {
        return 1.0;
    }
    long differing = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(a.rgb[i + c] - b.rgb[i + c]) > channelTolerance) {
                ++differing;
                break;
            }
        }
    }
    return double(differing) / (a.width * a.height);
}

int worstDifference(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) {
        return 256;
    }
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
    }
    return worst;
}

void meanColour(const Image& image, double mean[3]) {
    double sum[3] = {0, 0, 0};
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        for (int c = 0; c < 3; ++c) {
            sum[c] += image.rgb[i + c];
        }
    }
    const double pixels = std::max(1, image.width * image.height);
    for (int c = 0; c < 3; ++c) {
        mean[c] = sum[c] / pixels;
    }
}

} // namespace testimages
