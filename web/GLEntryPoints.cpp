// The OpenGL 1.1 and GLU entry points the demo calls, over FixedFunction. Calls WebGL already
// understands unchanged go straight to it.
#include "FixedFunction.h"
#include "Matrix.h"
#include "WebGL.h"

#include <GL/glu.h>

namespace {

FixedFunction& gl() {
    return FixedFunction::instance();
}

} // namespace

extern "C" {

void glEnable(GLenum cap) {
    gl().setEnabled(cap, true);
}
void glDisable(GLenum cap) {
    gl().setEnabled(cap, false);
}
void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
    gl().setLight(light, name, values);
}
void glPolygonMode(GLenum, GLenum mode) {
    gl().setPolygonMode(mode);
}
// Smooth shading and the nicest hints are all WebGL does.
void glShadeModel(GLenum) {}
void glHint(GLenum, GLenum) {}
// GL_MODULATE, the only mode the demo uses, is what the shader does.
void glTexEnvi(GLenum, GLenum, GLint) {}

void glClear(GLbitfield mask) {
    gl().clear(mask);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    gl().setClearColour(r, g, b, a);
}
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    gl().setViewport(x, y, width, height);
}
void glBlendFunc(GLenum source, GLenum destination) {
    gl().setBlendFunc(source, destination);
}
void glPushAttrib(GLbitfield) {
    gl().pushAttrib();
}
void glPopAttrib(void) {
    gl().popAttrib();
}

void glGenTextures(GLsizei count, GLuint* textures) {
    gl().genTextures(count, textures);
}
void glDeleteTextures(GLsizei count, const GLuint* textures) {
    gl().deleteTextures(count, textures);
}
void glBindTexture(GLenum, GLuint texture) {
    gl().bindTexture(texture);
}
void glTexImage2D(GLenum, GLint, GLint, GLsizei width, GLsizei height, GLint, GLenum format,
                  GLenum type, const GLvoid* pixels) {
    gl().texImage(width, height, format, type, pixels);
}
void glCopyTexImage2D(GLenum, GLint, GLenum, GLint x, GLint y, GLsizei width, GLsizei height,
                      GLint) {
    gl().copyTexImage(x, y, width, height);
}
void glTexParameteri(GLenum, GLenum name, GLint value) {
    gl().texParameter(name, value);
}
void glTexParameterf(GLenum, GLenum name, GLfloat value) {
    gl().texParameter(name, static_cast<GLint>(value));
}
void glPixelStorei(GLenum name, GLint value) {
    if (name == GL_UNPACK_SWAP_BYTES) {
        gl().setSwapBytes(value != 0);
    } else if (name == GL_UNPACK_ALIGNMENT) {
        gl().setUnpackAlignment(value);
    } else {
        emscripten_glPixelStorei(name, value);
    }
}
void glGetIntegerv(GLenum name, GLint* values) {
    if (name == GL_VIEWPORT) {
        for (int i = 0; i < 4; ++i) {
            values[i] = gl().viewport()[i];
        }
    } else if (name == GL_UNPACK_ALIGNMENT) {
        *values = gl().getUnpackAlignment();
    } else {
        emscripten_glGetIntegerv(name, values);
    }
}
void glGetBooleanv(GLenum name, GLboolean* values) {
    if (name == GL_UNPACK_SWAP_BYTES) {
        *values = gl().getSwapBytes() ? GL_TRUE : GL_FALSE;
    } else {
        emscripten_glGetBooleanv(name, values);
    }
}

void glMatrixMode(GLenum mode) {
    gl().matrixMode(mode);
}
void glLoadIdentity(void) {
    gl().loadIdentity();
}
void glPushMatrix(void) {
    gl().pushMatrix();
}
void glPopMatrix(void) {
    gl().popMatrix();
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    gl().multiply(Matrix::translation(x, y, z));
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    gl().multiply(Matrix::scaling(x, y, z));
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    gl().multiply(Matrix::rotation(angle, x, y, z));
}
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near,
             GLdouble far) {
    gl().multiply(Matrix::ortho(left, right, bottom, top, near, far));
}
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    gl().multiply(Matrix::perspective(fovy, aspect, zNear, zFar));
}

void glBegin(GLenum mode) {
    gl().begin(mode);
}
void glEnd(void) {
    gl().end();
}
void glVertex2f(GLfloat x, GLfloat y) {
    gl().vertex(x, y, 0.0f);
}
void glVertex2i(GLint x, GLint y) {
    gl().vertex(static_cast<GLfloat>(x), static_cast<GLfloat>(y), 0.0f);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    gl().vertex(x, y, z);
}
void glVertex3fv(const GLfloat* v) {
    gl().vertex(v[0], v[1], v[2]);
}
void glTexCoord2f(GLfloat s, GLfloat t) {
    gl().texCoord(s, t);
}
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) {
    gl().colour(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
}

} // extern "C"
