#include "Sample4.h"

#include "Script.h"

#include <GL/gl.h>
#include <cstdlib>
#include <iostream>

Sample4::Sample4() {
    // The closing picture is read first, then the flickering pair.
    kelmarTexture = loadTexture(Script::kelmarPicture);
    dwonTexture = loadTexture(Script::dwonPicture);
    quenbriteTexture = loadTexture(Script::quenbritePicture);
}

Sample4::~Sample4() {
    finish(Script::statisticsLabels[3]);
}

void Sample4::init() {
    std::cout << "Initing...\n";
    setUp(0.5f, 0.5f, 0.6f, 100.0);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    inited = true;
}

void Sample4::render() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    if (flickersAt(getTime())) {
        (std::rand() % 2 == 1 ? dwonTexture : quenbriteTexture)->bind();
    } else {
        kelmarTexture->bind();
    }
    setOrtho();
    drawScreenQuad();
    unsetOrtho();
    SDL_GL_SwapBuffers();
    ++frames;
}
