#include "Sample.h"

#include "Meshes.h"
#include "Script.h"

#include <GL/gl.h>
#include <cstdlib>

// The solid's data are compiled with the scene that draws it.
#include "RandomMesh.inc"

Sample::Sample() : distort(std::make_unique<Distort>(256, 256, DISTORT_RIPPLE, 4)) {}

Sample::~Sample() {
    finish(Script::statisticsLabels[0]);
}

void Sample::init() {
    setUp(0.0f, 0.0f, 0.2f, 100.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    // Light 1, set while the model-view matrix is the identity: a point light 20 units above
    // the eye.
    const GLfloat ambient[] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat position[] = {0.0f, 20.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glEnable(GL_LIGHT1);
    inited = true;
}

void Sample::render() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // Also the colour that the effect clears to before its redraw below.
    setFlickerClearColour();

    // The shake: 0, 0.1 or 0.2 in y (the first draw) and in x (the second).
    const float y = static_cast<float>((std::rand() % 3) / 10.0);
    const float x = static_cast<float>((std::rand() % 3) / 10.0);
    glTranslatef(x, y, -5.0f);
    glRotatef(spinAt(getTime()), 0.1f, 1.0f, 0.2f);

    distort->begin();
    // Untextured although texturing is on; no normals are sent, so the light gives the solid
    // one even shade.
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3ub(255, 255, 255);
    drawMesh(random_numberFaces, random_faces, random_vertices);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDisable(GL_LIGHTING);
    glScalef(1.05f, 1.05f, 1.05f);
    drawMesh(random_numberFaces, random_faces, random_vertices);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_LIGHTING);
    distort->end();

    SDL_GL_SwapBuffers();
    ++frames;
}
