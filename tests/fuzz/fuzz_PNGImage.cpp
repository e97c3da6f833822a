// libFuzzer target for the PNG loader.
//
// The first input byte chooses the mode: when its lowest bit is set, the CRC of every complete
// chunk is made right before decoding, so that mutations reach the chunk and pixel decoding
// instead of stopping at the checksum; otherwise the bytes go in as they are. The rest of the
// input becomes the file, held in memory and opened through its /proc path, since the loader
// takes a path. Besides the sanitizers' own checks, every loaded image must be consistent and
// every byte of its block readable; a failed one must be empty.
#include "PNGFacts.h"
#include "PNGImage.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

int memoryFile = -1;
std::string memoryPath;

void fixChunkCrcs(std::vector<unsigned char>& png) {
    size_t at = 8; // after the signature
    while (at + 12 <= png.size()) {
        const uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 |
                                uint32_t(png[at + 2]) << 8 | png[at + 3];
        if (length > png.size() - at - 12) {
            return;
        }
        const uint32_t crc = pngfacts::crc32(&png[at + 4], 4 + length);
        for (int i = 0; i < 4; ++i) {
            png[at + 8 + length + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
        }
        at += 12 + length;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    memoryFile = memfd_create("fuzz-png", 0);
    if (memoryFile < 0) {
        std::perror("memfd_create");
        return 1;
    }
    memoryPath = "/proc/self/fd/" + std::to_string(memoryFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    std::vector<unsigned char> file(data + 1, data + size);
    if (data[0] & 1) {
        fixChunkCrcs(file);
    }
    if (ftruncate(memoryFile, 0) != 0 ||
        pwrite(memoryFile, file.data(), file.size(), 0) != ssize_t(file.size())) {
        __builtin_trap();
    }

    PNGImage image(memoryPath.c_str());
    if (!image.isLoaded()) {
        if (image.getData() != nullptr || image.getWidth() != 0 || image.getHeight() != 0) {
            __builtin_trap();
        }
        return 0;
    }
    const unsigned channels = image.getChannels();
    const unsigned depth = image.getBitDepth();
    if (channels == 0 || (depth != 8 && depth != 16) || image.getWidth() == 0 ||
        image.getHeight() == 0) {
        __builtin_trap();
    }
    // Reading the whole block lets AddressSanitizer check that it is as large as it claims.
    const size_t bytes = size_t(image.getWidth()) * image.getHeight() * channels * depth / 8;
    volatile unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) {
        sum = sum + image.getData()[i];
    }
    return 0;
}
