#include "Scene.h"

#include "Script.h"
#include "Texture.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <iostream>

void Scene::setUp(float red, float green, float blue, double farPlane) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    startTime = SDL_GetTicks();
    frames = 0;
    glClearColor(red, green, blue, 0.0f);
    // The window is always the script's size; its real size is not asked for.
    glViewport(0, 0, Script::width, Script::height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(Script::width) / Script::height, 1.0, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void Scene::init() {
    setUp(0.0f, 0.0f, 0.0f, 100.0);
    inited = true;
}

std::unique_ptr<Texture> Scene::loadTexture(const char* path) {
    auto texture = std::make_unique<Texture>(path);
    loaded = loaded && texture->isLoaded();
    return texture;
}

void Scene::drawMesh(int numberFaces, const int* faces, const float* vertices) {
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < numberFaces; ++i) {
        glVertex3fv(&vertices[3 * faces[3 * i]]);
        glVertex3fv(&vertices[3 * faces[3 * i + 1]]);
        glVertex3fv(&vertices[3 * faces[3 * i + 2]]);
    }
    glEnd();
}

void Scene::drawScreenQuad() {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
}

float flickerLevel(Uint32 ticks) {
    return static_cast<float>(std::sin(ticks / 10.0));
}

void Scene::setFlickerClearColour() {
    const float blue = flickerLevel(SDL_GetTicks());
    const float green = flickerLevel(SDL_GetTicks());
    const float red = flickerLevel(SDL_GetTicks());
    glClearColor(red, green, blue, 0.0f);
}

void Scene::deinit() {
    // At a switch the main loop de-initialises the scene and its destructor does so again;
    // only the first pop belongs to this scene, a second would underflow the stack.
    if (inited) {
        glPopAttrib();
    }
    inited = false;
}

void Scene::setOrtho() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Near 1 and far -1, in this order, so eye z passes unchanged into depth.
    glOrtho(-1.0, 1.0, -1.0, 1.0, 1.0, -1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void Scene::unsetOrtho() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

double averageFps(Uint32 frames, Uint32 elapsedMs) {
    return frames / (elapsedMs / 1000.0);
}

void Scene::writeStatistics(std::ostream& out, const char* label) const {
    out << frames << label << averageFps(frames, getTime()) << std::endl;
}

void Scene::finish(const char* label) {
    Scene::deinit();
    writeStatistics(std::cout, label);
}
