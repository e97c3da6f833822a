// OpenGL 1.1's lighting, done on the CPU because WebGL has none: the eight lights and the
// colour each vertex gets from them. It lights as OpenGL does per vertex with the demo's
// material, which is the default one (ambient 0.2, diffuse 0.8, no specular or emission), under
// the default global ambient of 0.2, with point and directional lights of ambient and diffuse
// colours, without attenuation or spot cones, and the current normal, which the demo never
// sets from (0, 0, 1). The lit colour replaces the vertex's colour, as it does in GL.
//
// A plain value with no GL calls: glPushAttrib copies it whole, and it is tested natively.
#pragma once

#include "Matrix.h"
#include "Vertex.h"

#include <array>
#include <vector>

class Lighting {
public:
    static constexpr int lightCount = 8;
    using Colour = std::array<float, 4>;

    // As GL starts: every light off, ambient black, diffuse black but light 0's white,
    // directional from +z.
    Lighting();

    // Out-of-range lights are ignored, as GL would refuse them.
    void enable(int light, bool on);
    void setAmbient(int light, const Colour& colour);
    void setDiffuse(int light, const Colour& colour);
    // The position as glLightfv gives it, carried into eye coordinates by modelview, the
    // model-view matrix of the moment; w = 0 makes a directional light.
    void setPosition(int light, const Matrix::Vector& position, const Matrix& modelview);

    // The colour of a vertex at eye in eye coordinates with the eye-space normal, each channel
    // clamped to [0, 1]; alpha is the material's diffuse alpha, 1.
    Colour colourAt(const Matrix::Vector3& eye, const Matrix::Vector3& normal) const;
    // Gives every vertex its lit colour; positions are in object coordinates, carried into eye
    // coordinates by modelview.
    void light(const Matrix& modelview, std::vector<Vertex>& vertices) const;

private:
    struct Light {
        Colour ambient{0, 0, 0, 1};
        Colour diffuse{0, 0, 0, 1};
        Matrix::Vector position{0, 0, 1, 0}; // in eye coordinates
        bool enabled = false;
    };
    std::array<Light, lightCount> lights;
};
