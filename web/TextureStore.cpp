#include "TextureStore.h"

#include "WebGL.h"

#include <cstddef>

namespace {

int channelsOf(GLenum format) {
    switch (format) {
    case GL_LUMINANCE_ALPHA:
        return 2;
    case GL_RGB:
        return 3;
    case GL_RGBA:
        return 4;
    default:
        return 1;
    }
}

} // namespace

void TextureStore::create(GLsizei count, GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) {
        names[i] = zokk_new_texture();
        textures[names[i]] = Texture{};
    }
}

void TextureStore::remove(GLsizei count, const GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) {
        textures.erase(names[i]);
    }
    emscripten_glDeleteTextures(count, names);
}

const TextureStore::Texture* TextureStore::find(GLuint name) const {
    if (name == 0) {
        return nullptr;
    }
    const auto found = textures.find(name);
    return found == textures.end() ? nullptr : &found->second;
}

void TextureStore::setImage(GLuint texture, GLsizei width, GLsizei height, GLenum format,
                            GLenum type, const void* pixels, bool swapBytes, GLint alignment) {
    std::vector<unsigned char> narrowed;
    if (type == GL_UNSIGNED_SHORT && pixels != nullptr) {
        const size_t samples = static_cast<size_t>(width) * height * channelsOf(format);
        const auto* bytes = static_cast<const unsigned char*>(pixels);
        narrowed.resize(samples);
        for (size_t i = 0; i < samples; ++i) {
            narrowed[i] = bytes[2 * i + (swapBytes ? 0 : 1)];
        }
        pixels = narrowed.data();
        type = GL_UNSIGNED_BYTE;
    }
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, format, type, pixels);
    Texture& t = textures[texture];
    t.width = width;
    t.height = height;
    t.hasImage = true;
    t.format = format;
    t.alignment = alignment;
    t.pixels.clear();
    if (pixels != nullptr && width > 0 && height > 0) {
        const size_t row = static_cast<size_t>(width) * channelsOf(format);
        const size_t stride = (row + alignment - 1) / alignment * alignment;
        const auto* bytes = static_cast<const unsigned char*>(pixels);
        t.pixels.assign(bytes, bytes + stride * (height - 1) + row);
    }
}

void TextureStore::setParameter(GLuint texture, GLenum name, GLint value) {
    Texture& t = textures[texture];
    if (name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T) {
        const bool border = value == GL_CLAMP;
        (name == GL_TEXTURE_WRAP_S ? t.clampS : t.clampT) = border;
        if (border) {
            value = GL_CLAMP_TO_EDGE;
        }
    }
    t.parameters[name] = value;
    emscripten_glTexParameteri(GL_TEXTURE_2D, name, value);
}

bool TextureStore::holdsFrameCopy(GLuint texture, GLsizei width, GLsizei height) const {
    const Texture* t = find(texture);
    return t != nullptr && t->hasImage && t->format == GL_RGB && t->pixels.empty() &&
           t->width == width && t->height == height;
}

void TextureStore::recordFrameCopy(GLuint texture, GLsizei width, GLsizei height) {
    Texture& t = textures[texture];
    t.width = width;
    t.height = height;
    t.hasImage = true;
    t.format = GL_RGB;
    t.pixels.clear();
}

void TextureStore::restore(GLint unpackAlignment) {
    for (auto& [name, t] : textures) {
        if (name == 0) {
            continue; // parameters set with no texture bound went nowhere
        }
        zokk_renew_texture(name);
        emscripten_glBindTexture(GL_TEXTURE_2D, name);
        for (const auto& [parameter, value] : t.parameters) {
            emscripten_glTexParameteri(GL_TEXTURE_2D, parameter, value);
        }
        if (t.hasImage) {
            emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, t.alignment);
            emscripten_glTexImage2D(GL_TEXTURE_2D, 0, t.format, t.width, t.height, 0, t.format,
                                    GL_UNSIGNED_BYTE, t.pixels.empty() ? nullptr : t.pixels.data());
        }
    }
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
}
