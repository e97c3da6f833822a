// The last scene: two pictures flickering into each other at random for eight seconds, then a
// third one until the show ends. The scene owns its three textures.
#pragma once

#include "Scene.h"
#include "Texture.h"

#include <memory>

class Sample4 : public Scene {
public:
    Sample4();
    ~Sample4() override;

    void init() override;
    void render() override;

    // True while the pair still flickers (scene time up to 7999 ms): each frame then draws one
    // random number to pick its picture; from 8000 ms the closing picture shows and no number
    // is drawn.
    static bool flickersAt(Uint32 sceneTime) { return sceneTime <= 7999; }

private:
    std::unique_ptr<Texture> dwonTexture;
    std::unique_ptr<Texture> quenbriteTexture;
    std::unique_ptr<Texture> kelmarTexture;
};
