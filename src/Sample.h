// The opening scene: the six-armed solid spinning in front of the viewer, lit and wrapped in a
// white wireframe 5 % larger, shaken by a random offset every frame over a strobing
// background, all of it drawn through a rippling distortion grid. The scene owns its effect.
#pragma once

#include "Distort.h"
#include "Scene.h"

#include <memory>

class Sample : public Scene {
public:
    Sample();
    ~Sample() override;

    void init() override;
    void render() override;

    // Degrees the solid has turned at a scene time: 100 a second.
    static float spinAt(Uint32 sceneTime) { return static_cast<float>(sceneTime / 10.0); }

private:
    std::unique_ptr<Distort> distort;
};
