// The second scene: three title pictures one after another, each filling the window, over a
// background whose grey strobes between black and white with SDL's clock. The scene owns its
// three textures.
#pragma once

#include "Scene.h"
#include "Texture.h"

#include <memory>

class Sample2 : public Scene {
public:
    Sample2();
    ~Sample2() override;

    void init() override;
    void render() override;

    // The last millisecond of the first and of the second picture.
    static constexpr Uint32 firstPictureEnd = 950;
    static constexpr Uint32 secondPictureEnd = 1650;

    // Which picture shows at a scene time that holds still: 0 "dizuduv" up to 950 ms,
    // 1 "from your truly" up to 1650 ms, 2 "plimb" after that.
    static int pictureAt(Uint32 sceneTime);

private:
    std::unique_ptr<Texture> dizuduvTexture;
    std::unique_ptr<Texture> fromYourTrulyTexture;
    std::unique_ptr<Texture> plimbTexture;
};
