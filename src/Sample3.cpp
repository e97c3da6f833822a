#include "Sample3.h"

#include "Meshes.h"
#include "Script.h"

#include <GL/gl.h>
#include <iostream>

// The words' data are compiled with the scene that draws them.
#include "WordMeshes.inc"

namespace {

struct Word {
    const int& numberFaces;
    const int* faces;
    const float* vertices;
};

// In the order they show. GOES and TO are modelled mirrored, so that they read right in the
// half turns that show their back.
const Word words[] = {
    {fuckings_numberFaces, fuckings_faces, fuckings_vertices},
    {goes_numberFaces, goes_faces, goes_vertices},
    {out_numberFaces, out_faces, out_vertices},
    {to_numberFaces, to_faces, to_vertices},
};

} // namespace

Sample3::Sample3()
    : backgroundDistort(std::make_unique<Distort>(256, 256, DISTORT_FOLD, 8)),
      wordDistort(std::make_unique<Distort>(256, 256, DISTORT_RIPPLE, 4)),
      faenTexture(loadTexture(Script::faenPicture)) {}

Sample3::~Sample3() {
    finish(Script::statisticsLabels[2]);
}

void Sample3::init() {
    std::cout << "Initing...\n";
    setUp(0.5f, 0.5f, 0.6f, 1000.0);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    inited = true;
}

int Sample3::wordAt(float rotation) {
    if (rotation <= 90.0f) {
        return 0;
    }
    if (rotation <= 270.0f) {
        return 1;
    }
    return rotation <= 450.0f ? 2 : 3;
}

void Sample3::render() {
    const float rotation = rotationAt(getTime());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The background: the picture on the folded grid, far enough away to fill the window.
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -200.0f);
    glDisable(GL_DEPTH_TEST);
    backgroundDistort->fux(256, static_cast<float>(getTime()), 1, 8, faenTexture.get());
    glEnable(GL_DEPTH_TEST);

    // The word, drawn white and untextured into the corner that the capture takes.
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -4.0f);
    glRotatef(rotation, 0.0f, 1.0f, 0.0f);
    wordDistort->begin();
    glBindTexture(GL_TEXTURE_2D, 0);
    const Word& word = words[wordAt(rotation)];
    drawMesh(word.numberFaces, word.faces, word.vertices);
    wordDistort->end();

    SDL_GL_SwapBuffers();
    ++frames;
}
