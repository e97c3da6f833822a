#include "Sample2.h"

#include "Script.h"

#include <GL/gl.h>

Sample2::Sample2()
    : dizuduvTexture(loadTexture(Script::dizuduvPicture)),
      fromYourTrulyTexture(loadTexture(Script::fromYourTrulyPicture)),
      plimbTexture(loadTexture(Script::plimbPicture)) {}

Sample2::~Sample2() {
    finish(Script::statisticsLabels[1]);
}

void Sample2::init() {
    setUp(0.5f, 0.5f, 0.6f, 100.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    inited = true;
}

int Sample2::pictureAt(Uint32 sceneTime) {
    if (sceneTime <= firstPictureEnd) {
        return 0;
    }
    return sceneTime <= secondPictureEnd ? 1 : 2;
}

void Sample2::render() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // The colour set now clears the next frame, so the first frame shows the grey-blue of
    // init and every later one the strobe level of the frame before.
    setFlickerClearColour();
    glTranslatef(0.0f, 0.0f, -5.0f);
    setOrtho();
    // Past the first picture the clock is read once more, and that second reading alone
    // decides between the other two.
    if (getTime() <= firstPictureEnd) {
        dizuduvTexture->bind();
    } else if (getTime() <= secondPictureEnd) {
        fromYourTrulyTexture->bind();
    } else {
        plimbTexture->bind();
    }
    drawScreenQuad();
    unsetOrtho();
    SDL_GL_SwapBuffers();
    ++frames;
}
