// Every texture the demo has made, kept on this side of WebGL so that it outlives the context.
//
// A browser may take the WebGL context away (a GPU reset, too many pages) and give it back
// empty. The store keeps what it would take to make each texture again: its image as WebGL was
// given it and the parameters it was set with. restore() makes them all again under the same
// names. It also knows what a draw needs of a texture: whether it has an image, its size, and
// whether it wraps with GL_CLAMP on either axis, which the shaders emulate.
//
// Texture names come from the page (zokk_new_texture) rather than from WebGL, which names
// nothing while the context is lost. The store's GL calls act on the texture WebGL has bound,
// which the caller binds first; restore() binds each texture in turn and leaves the binding
// unknown.
#pragma once

#include <GL/gl.h>

#include <map>
#include <vector>

class TextureStore {
public:
    struct Texture {
        GLsizei width = 0;
        GLsizei height = 0;
        bool clampS = false; // GL_CLAMP: coordinates past the edge fade into a black border
        bool clampT = false;
        bool hasImage = false;
        // The image as WebGL was given it, rows padded to the alignment; empty for a copy of
        // the frame, which is made again before it is drawn.
        GLenum format = GL_RGB;
        GLint alignment = 4;
        std::vector<unsigned char> pixels;
        std::map<GLenum, GLint> parameters; // as WebGL was given them
    };

    // Names count new textures, with no image yet.
    void create(GLsizei count, GLuint* names);
    // Deletes the textures in WebGL and here; unknown names are ignored.
    void remove(GLsizei count, const GLuint* names);
    // The texture named, or null for one not made (or 0).
    const Texture* find(GLuint name) const;

    // glTexImage2D on texture, which is bound: 8-bit samples, or 16-bit ones, of which WebGL
    // takes only the high byte (the first in memory when swapBytes, on this little-endian
    // machine); rows padded to alignment.
    void setImage(GLuint texture, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  const void* pixels, bool swapBytes, GLint alignment);
    // glTexParameteri on texture, which is bound. GL_CLAMP, which WebGL lacks, is handed on as
    // GL_CLAMP_TO_EDGE and remembered for the shaders' border.
    void setParameter(GLuint texture, GLenum name, GLint value);

    // Whether texture already holds a copy of the frame of this size, which a new copy may
    // write over.
    bool holdsFrameCopy(GLuint texture, GLsizei width, GLsizei height) const;
    // Records that texture holds a new copy of the frame: RGB, nothing to restore but its size.
    void recordFrameCopy(GLuint texture, GLsizei width, GLsizei height);

    // Makes every texture again in a context the browser has given back, under its old name,
    // and leaves WebGL's unpack alignment at unpackAlignment.
    void restore(GLint unpackAlignment);

private:
    std::map<GLuint, Texture> textures;
};
