#include "SceneHarness.h"

#include "Hooks.h"
#include "Scene.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

std::vector<Uint32> goldenMoments(int scene) {
    std::vector<Uint32> moments;
    for (const auto& entry : std::filesystem::directory_iterator("tests/references")) {
        int named = 0;
        unsigned ms = 0;
        char end = 0;
        if (std::sscanf(entry.path().filename().c_str(), "scene%d-%u.pn%c", &named, &ms, &end) ==
                3 &&
            end == 'g' && named == scene) {
            moments.push_back(ms);
        }
    }
    std::sort(moments.begin(), moments.end());
    return moments;
}

::testing::AssertionResult matchesGolden(const testimages::Image& frame, const std::string& name) {
    return testimages::matchesReference(frame, reference(name), 16, 0.01);
}

::testing::AssertionResult matchesGolden(Scene& scene, const std::string& name, Uint32 sceneTime) {
    return matchesGolden(frameAt(scene, sceneTime), name + "-" + std::to_string(sceneTime));
}

} // namespace harness
