// The page's lighting against values worked out by hand from OpenGL's lighting equation with
// the default material (ambient 0.2, diffuse 0.8) under the default global ambient (0.2):
// colour = 0.04 + sum over lights of 0.2 * ambient + 0.8 * max(n . l, 0) * diffuse.
#include "Lighting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const float tolerance = 1e-5f;
const Matrix::Vector3 up{0, 0, 1};
const Matrix::Vector3 origin{0, 0, 0};

void expectColour(const Lighting::Colour& actual, float r, float g, float b) {
    EXPECT_NEAR(actual[0], r, tolerance);
    EXPECT_NEAR(actual[1], g, tolerance);
    EXPECT_NEAR(actual[2], b, tolerance);
    EXPECT_EQ(actual[3], 1.0f);
}

Vertex at(float x, float y, float z) {
    return Vertex{{x, y, z}, {0, 0}, {1, 2, 3, 4}};
}

} // namespace

TEST(Lighting, WithNoLightOnOnlyTheGlobalAmbientLights) {
    Lighting lighting;
    expectColour(lighting.colourAt(origin, up), 0.04f, 0.04f, 0.04f);
}

TEST(Lighting, LightZeroStartsWhiteFromTheFront) {
    Lighting lighting;
    lighting.enable(0, true);
    expectColour(lighting.colourAt(origin, up), 0.84f, 0.84f, 0.84f);
    // The others start with a black diffuse colour.
    Lighting other;
    other.enable(1, true);
    expectColour(other.colourAt(origin, up), 0.04f, 0.04f, 0.04f);
}

TEST(Lighting, DiffuseFollowsTheCosineOfTheAngle) {
    Lighting lighting;
    lighting.enable(2, true);
    lighting.setDiffuse(2, {1.0f, 0.5f, 0.0f, 1});
    // 60 degrees off the normal: cos = 0.5.
    lighting.setPosition(2, {0, std::sqrt(3.0f) / 2, 0.5f, 0}, Matrix::identity());
    expectColour(lighting.colourAt(origin, up), 0.44f, 0.24f, 0.04f);
}

TEST(Lighting, PointLightShinesFromItsPosition) {
    Lighting lighting;
    lighting.enable(0, true);
    lighting.setPosition(0, {0, 0, 5, 1}, Matrix::identity());
    // From (3, 0, 1) the light is along (-3, 0, 4): cos = 4 / 5.
    expectColour(lighting.colourAt({3, 0, 1}, up), 0.68f, 0.68f, 0.68f);
    // w scales the position: (0, 0, 10, 2) is the same point.
    lighting.setPosition(0, {0, 0, 10, 2}, Matrix::identity());
    expectColour(lighting.colourAt({3, 0, 1}, up), 0.68f, 0.68f, 0.68f);
}

TEST(Lighting, ALightBehindGivesOnlyItsAmbient) {
    Lighting lighting;
    lighting.enable(0, true);
    lighting.setAmbient(0, {0.5f, 0.25f, 0.0f, 1});
    lighting.setPosition(0, {0, 0, -1, 0}, Matrix::identity());
    expectColour(lighting.colourAt(origin, up), 0.14f, 0.09f, 0.04f);
}

TEST(Lighting, ColoursAddUpAndClampAtOne) {
    Lighting lighting;
    lighting.enable(0, true);
    lighting.enable(1, true);
    lighting.setDiffuse(1, {0.5f, 0.0f, 0.0f, 1});
    // 0.04 + 0.8 + 0.4 in red, 0.84 in green and blue.
    expectColour(lighting.colourAt(origin, up), 1.0f, 0.84f, 0.84f);
}

TEST(Lighting, PositionsGoThroughTheModelViewOfTheirMoment) {
    Lighting lighting;
    lighting.enable(0, true);
    // At the eye's origin pushed 10 back: (0, 0, -10).
    lighting.setPosition(0, {0, 0, 0, 1}, Matrix::translation(0, 0, -10));
    expectColour(lighting.colourAt({0, 0, -15}, up), 0.84f, 0.84f, 0.84f);
    expectColour(lighting.colourAt({0, 0, -5}, up), 0.04f, 0.04f, 0.04f);
}

TEST(Lighting, LightingAVertexReplacesItsColour) {
    Lighting lighting;
    lighting.enable(0, true);
    std::vector<Vertex> vertices{at(0, 0, 0), at(7, -3, 2)};
    lighting.light(Matrix::identity(), vertices);
    for (const Vertex& v : vertices) {
        // 0.84 * 255 = 214.2, and the material's alpha 1.
        EXPECT_EQ(v.colour[0], 214);
        EXPECT_EQ(v.colour[1], 214);
        EXPECT_EQ(v.colour[2], 214);
        EXPECT_EQ(v.colour[3], 255);
    }
}

TEST(Lighting, TheNormalTurnsWithTheModelView) {
    Lighting lighting;
    lighting.enable(0, true); // directional, from +z in eye coordinates
    std::vector<Vertex> vertices{at(0, 0, 0)};
    // Half a turn about x: the normal faces -z, away from the light; 0.04 * 255 = 10.2.
    lighting.light(Matrix::rotation(180, 1, 0, 0), vertices);
    EXPECT_EQ(vertices[0].colour[0], 10);
    // A quarter turn about z leaves it facing the light.
    lighting.light(Matrix::rotation(90, 0, 0, 1), vertices);
    EXPECT_EQ(vertices[0].colour[0], 214);
}

TEST(Lighting, OutOfRangeLightsAreIgnored) {
    Lighting lighting;
    lighting.enable(-1, true);
    lighting.enable(Lighting::lightCount, true);
    lighting.setDiffuse(Lighting::lightCount, {1, 1, 1, 1});
    expectColour(lighting.colourAt(origin, up), 0.04f, 0.04f, 0.04f);
}
