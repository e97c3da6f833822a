// An OpenGL 2D texture made from one PNG file.
//
// The constructor decodes the file, uploads its pixels once as level 0 and forgets them: from
// then on the picture exists only as the texture name this object owns, which its destructor
// deletes. Sampling repeats in both directions and takes the nearest texel; t = 0 is the
// picture's bottom edge. Construction also sets the texture environment to GL_MODULATE for
// all later drawing and leaves texture 0 bound.
//
// When the file fails to load, the name still exists but holds no image, and isLoaded() is
// false. Everything here needs a current OpenGL context.
#pragma once

#include <GL/gl.h>

class Texture {
public:
    explicit Texture(const char* path);
    ~Texture();

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Binds this texture to GL_TEXTURE_2D; it does not enable texturing.
    void bind();
    bool isLoaded() const { return loaded; }

private:
    GLuint id = 0;
    bool loaded = false;
};
