#include "Lighting.h"

#include <cmath>

namespace {

const float materialAmbient = 0.2f;
const float materialDiffuse = 0.8f;
const float globalAmbient = 0.2f;
// The demo never sets a normal; OpenGL's current normal stays (0, 0, 1).
const Matrix::Vector3 objectNormal{0.0f, 0.0f, 1.0f};

bool valid(int light) {
    return light >= 0 && light < Lighting::lightCount;
}

} // namespace

Lighting::Lighting() {
    lights[0].diffuse = {1, 1, 1, 1};
}

void Lighting::enable(int light, bool on) {
    if (valid(light)) {
        lights[light].enabled = on;
    }
}

void Lighting::setAmbient(int light, const Colour& colour) {
    if (valid(light)) {
        lights[light].ambient = colour;
    }
}

void Lighting::setDiffuse(int light, const Colour& colour) {
    if (valid(light)) {
        lights[light].diffuse = colour;
    }
}

void Lighting::setPosition(int light, const Matrix::Vector& position, const Matrix& modelview) {
    if (valid(light)) {
        lights[light].position = modelview.transform(position);
    }
}

Lighting::Colour Lighting::colourAt(const Matrix::Vector3& eye,
                                    const Matrix::Vector3& normal) const {
    const float base = globalAmbient * materialAmbient;
    float sum[3] = {base, base, base};
    for (const Light& l : lights) {
        if (!l.enabled) {
            continue;
        }
        float direction[3] = {l.position[0], l.position[1], l.position[2]};
        if (l.position[3] != 0.0f) {
            for (int i = 0; i < 3; ++i) {
                direction[i] = l.position[i] / l.position[3] - eye[i];
            }
        }
        const float length = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] +
                                       direction[2] * direction[2]);
        float facing = 0.0f;
        if (length > 0.0f) {
            facing =
                (normal[0] * direction[0] + normal[1] * direction[1] + normal[2] * direction[2]) /
                length;
        }
        facing = std::fmax(facing, 0.0f);
        for (int i = 0; i < 3; ++i) {
            sum[i] += materialAmbient * l.ambient[i] + facing * materialDiffuse * l.diffuse[i];
        }
    }
    Colour out;
    for (int i = 0; i < 3; ++i) {
        out[i] = std::fmin(std::fmax(sum[i], 0.0f), 1.0f);
    }
    out[3] = 1.0f;
    return out;
}

void Lighting::light(const Matrix& modelview, std::vector<Vertex>& vertices) const {
    // A copy of its own, which the colours written below cannot change, stays in registers.
    const Matrix m = modelview;
    const Matrix::Vector3 normal = m.transformNormal(objectNormal);
    for (Vertex& v : vertices) {
        const Matrix::Vector eye = m.transformPoint(v.position);
        const Colour lit = colourAt({eye[0], eye[1], eye[2]}, normal);
        for (int k = 0; k < 4; ++k) {
            v.colour[k] = Vertex::channel(lit[k]);
        }
    }
}
