// The third scene: the words FUCKINGS, GOES, OUT and TO in turn, white solids turning about
// the vertical axis over a background picture folded by the distortion field; the lower-left
// corner of that picture, with the word in it, is captured and redrawn gently rippled across
// the window. The scene owns its two effects and its picture.
#pragma once

#include "Distort.h"
#include "Scene.h"
#include "Texture.h"

#include <memory>

class Sample3 : public Scene {
public:
    Sample3();
    ~Sample3() override;

    void init() override;
    void render() override;

    // The turn in degrees at a scene time: -90 at the start, 100 more every second.
    static float rotationAt(Uint32 sceneTime) {
        return static_cast<float>(sceneTime / 10.0 - 90.0);
    }
    // Which word shows at a turn: each gets half a turn, square to the viewer in its middle,
    // the first up to 90 degrees, the second up to 270, the third up to 450, then the last.
    static int wordAt(float rotation);

private:
    std::unique_ptr<Distort> backgroundDistort;
    std::unique_ptr<Distort> wordDistort;
    std::unique_ptr<Texture> faenTexture;
};
