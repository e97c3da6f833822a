#include "SceneHarness.h"

#include "Hooks.h"
#include "Scene.h"

#include <cstdlib>

namespace harness {

testimages::Image frameAt(Scene& scene, Uint32 sceneTime, unsigned seed, Uint32 startTicks) {
    hooks::setTicks(startTicks);
    scene.init();
    hooks::setTicks(startTicks + sceneTime);
    testimages::Image frame;
    for (int pass = 0; pass < 2; ++pass) {
        std::srand(seed);
        hooks::onSwap([&] { frame = testimages::readFrame(); });
        scene.render();
        hooks::onSwap({});
    }
    scene.deinit();
    hooks::useRealTicks();
    return frame;
}

std::string reference(const std::string& name) {
    return "tests/references/" + name + ".png";
}

::testing::AssertionResult matchesGolden(Scene& scene, const std::string& name, Uint32 sceneTime) {
    return testimages::matchesReference(
        frameAt(scene, sceneTime), reference(name + "-" + std::to_string(sceneTime)), 16, 0.01);
}

} // namespace harness
