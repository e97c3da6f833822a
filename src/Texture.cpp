#include "Texture.h"

#include "PNGImage.h"

namespace {

// Hands the image to OpenGL. Rows are packed without gaps, so the unpack alignment is 1 for
// the upload; 16-bit samples arrive big-endian from the decoder and are byte-swapped on a
// little-endian machine. The pixel-store values changed here are put back afterwards.
void upload(const PNGImage& image) {
    GLint alignment = 4;
    GLboolean swapBytes = GL_FALSE;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetBooleanv(GL_UNPACK_SWAP_BYTES, &swapBytes);

    const bool wide = image.getBitDepth() == 16;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    glPixelStorei(GL_UNPACK_SWAP_BYTES, wide ? GL_TRUE : GL_FALSE);
#else
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
#endif
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(image.getType()),
                 static_cast<GLsizei>(image.getWidth()), static_cast<GLsizei>(image.getHeight()), 0,
                 image.getType(), wide ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE, image.getData());

    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, swapBytes);
}

} // namespace

Texture::Texture(const char* path) {
    // The decoded pixels live only until they are uploaded.
    const PNGImage image(path);
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // An image that failed to load (its line is already written) leaves the name empty rather
    // than handing OpenGL a null block of zero size.
    loaded = image.isLoaded();
    if (loaded) {
        upload(image);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

Texture::~Texture() {
    glDeleteTextures(1, &id);
}

void Texture::bind() {
    glBindTexture(GL_TEXTURE_2D, id);
}
