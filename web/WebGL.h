// The WebGL calls underneath the OpenGL 1.1 entry points that this folder defines. Emscripten
// offers each WebGL function under a second name with an emscripten_ prefix, so that a program
// can define glEnable and friends itself and still reach the browser's.
#pragma once

#include <GL/gl.h>

#define GL_ARRAY_BUFFER 0x8892
#define GL_ELEMENT_ARRAY_BUFFER 0x8893
#define GL_STATIC_DRAW 0x88E4
#define GL_DYNAMIC_DRAW 0x88E8
#define GL_STREAM_DRAW 0x88E0
#define GL_VERTEX_SHADER 0x8B31
#define GL_FRAGMENT_SHADER 0x8B30
#define GL_COMPILE_STATUS 0x8B81
#define GL_CLAMP_TO_EDGE 0x812F
#define GL_READ_FRAMEBUFFER 0x8CA8
#define GL_DRAW_FRAMEBUFFER 0x8CA9
#define GL_COLOR_ATTACHMENT0 0x8CE0

extern "C" {
// The page's own (library_zokk.js): a texture name with a WebGL texture behind it while there
// is a context, and a new WebGL texture behind an old name after the context came back.
GLuint zokk_new_texture(void);
void zokk_renew_texture(GLuint name);
// Drops the names of a program and a buffer of a lost context.
void zokk_forget(GLuint program, GLuint buffer);

void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glBlendFunc(GLenum source, GLenum destination);
void emscripten_glGenTextures(GLsizei count, GLuint* textures);
void emscripten_glDeleteTextures(GLsizei count, const GLuint* textures);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glGenFramebuffers(GLsizei count, GLuint* framebuffers);
void emscripten_glDeleteFramebuffers(GLsizei count, const GLuint* framebuffers);
void emscripten_glBindFramebuffer(GLenum target, GLuint framebuffer);
void emscripten_glFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textureTarget,
                                       GLuint texture, GLint level);
// WebGL 2 only.
void emscripten_glBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0,
                                  GLint dstY0, GLint dstX1, GLint dstY1, GLbitfield mask,
                                  GLenum filter);
void emscripten_glCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x,
                                 GLint y, GLsizei width, GLsizei height, GLint border);
void emscripten_glCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset,
                                    GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glTexParameteri(GLenum target, GLenum name, GLint value);
void emscripten_glPixelStorei(GLenum name, GLint value);
void emscripten_glGetIntegerv(GLenum name, GLint* values);
void emscripten_glGetBooleanv(GLenum name, GLboolean* values);
GLenum emscripten_glGetError(void);

GLuint emscripten_glCreateShader(GLenum kind);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const char* const* sources,
                               const GLint* lengths);
void emscripten_glCompileShader(GLuint shader);
void emscripten_glGetShaderiv(GLuint shader, GLenum name, GLint* value);
void emscripten_glGetShaderInfoLog(GLuint shader, GLsizei size, GLsizei* length, char* log);
void emscripten_glDeleteShader(GLuint shader);
GLuint emscripten_glCreateProgram(void);
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glBindAttribLocation(GLuint program, GLuint index, const char* name);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glUseProgram(GLuint program);
void emscripten_glDeleteProgram(GLuint program);
GLint emscripten_glGetUniformLocation(GLuint program, const char* name);
void emscripten_glUniform1i(GLint location, GLint value);
void emscripten_glUniform2f(GLint location, GLfloat x, GLfloat y);
void emscripten_glUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose,
                                   const GLfloat* value);
void emscripten_glGenBuffers(GLsizei count, GLuint* buffers);
void emscripten_glDeleteBuffers(GLsizei count, const GLuint* buffers);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBufferData(GLenum target, long size, const void* data, GLenum usage);
void emscripten_glBufferSubData(GLenum target, long offset, long size, const void* data);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glDisableVertexAttribArray(GLuint index);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalized,
                                      GLsizei stride, const void* offset);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
void emscripten_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
}
