// The embedded solids drawn head-on under a real context, lit by their own normals, each
// word from the side it reads from. The pictures are written to the test output folder as
// mesh-<name>.png for a person to read; the tests check that every letter stands apart.
#include "GLTestWindow.h"
#include "Images.h"
#include "Meshes.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct View {
    const char* name;
    int faceCount;
    const float* vertices;
    const float* normals;
    const int* faces;
    double halfWidth; // of the picture, in object units
    double turn;      // degrees about y before drawing: 180 shows the -z side
    int letters;      // separate pieces expected along x; 0 for the solid
};

const View kViews[] = {
    {"random", random_numberFaces, random_vertices, random_normals, random_faces, 2.3, 0, 0},
    {"fuckings", fuckings_numberFaces, fuckings_vertices, fuckings_normals, fuckings_faces, 2.45, 0,
     8},
    {"goes", goes_numberFaces, goes_vertices, goes_normals, goes_faces, 1.35, 180, 4},
    {"out", out_numberFaces, out_vertices, out_normals, out_faces, 1.15, 0, 3},
    {"to", to_numberFaces, to_vertices, to_normals, to_faces, 0.8, 180, 2}};

// Draws one solid in grey-white on dark blue, lit from the upper left front, and reads it back.
testimages::Image draw(const View& v, double tiltX = 0, double tiltY = 0) {
    glViewport(0, 0, 640, 480);
    glClearColor(0.0f, 0.0f, 0.2f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double h = v.halfWidth * 0.75;
    glOrtho(-v.halfWidth, v.halfWidth, -h, h, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat light[] = {-0.4f, 0.5f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glRotated(tiltX, 1, 0, 0);
    glRotated(tiltY + v.turn, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 3 * v.faceCount; ++i) {
        glNormal3fv(&v.normals[3 * v.faces[i]]);
        glVertex3fv(&v.vertices[3 * v.faces[i]]);
    }
    glEnd();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    return testimages::readFrame();
}

bool ink(const testimages::Image& image, int x, int y) {
    const unsigned char* p = image.at(x, y);
    return p[0] > 40 || p[1] > 40; // the background is (0, 0, 51)
}

TEST(MeshViews, EachWordShowsItsLettersApart) {
    ASSERT_TRUE(glwindow::open());
    for (const View& v : kViews) {
        const testimages::Image image = draw(v);
        ASSERT_EQ(glwindow::pendingError(), 0u) << v.name;
        const std::string path = testimages::outputDir() + "/mesh-" + v.name + ".png";
        EXPECT_TRUE(testimages::savePNG(path, image)) << path;
        int inked = 0, pieces = 0;
        bool inPiece = false;
        for (int x = 0; x < image.width; ++x) {
            bool column = false;
            for (int y = 0; y < image.height; ++y) {
                column |= ink(image, x, y);
                inked += ink(image, x, y);
            }
            pieces += column && !inPiece;
            inPiece = column;
        }
        const double share = double(inked) / (image.width * image.height);
        EXPECT_GT(share, 0.04) << v.name;
        EXPECT_LT(share, 0.6) << v.name;
        if (v.letters > 0) {
            EXPECT_EQ(pieces, v.letters) << v.name;
        }
    }
}

TEST(MeshViews, TheSolidIsLitAndShadedFromAnAngle) {
    ASSERT_TRUE(glwindow::open());
    const testimages::Image image = draw(kViews[0], 25, 35);
    ASSERT_EQ(glwindow::pendingError(), 0u);
    EXPECT_TRUE(testimages::savePNG(testimages::outputDir() + "/mesh-random-turned.png", image));
    // Smooth normals give many shades of grey, not a flat silhouette.
    std::set<int> shades;
    for (int y = 0; y < image.height; y += 2) {
        for (int x = 0; x < image.width; x += 2) {
            if (ink(image, x, y)) {
                shades.insert(image.at(x, y)[0] / 8);
            }
        }
    }
    EXPECT_GT(shades.size(), 12u);
}

} // namespace
