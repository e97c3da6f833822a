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
    for (int pass = 0; pass < golden::framesDrawn; ++pass) {
        std::srand(seed);
        hooks::onSwap([&] { frame = testimages::readFrame(); });
        scene.render();
        hooks::onSwap({});
    }
    scene.deinit();
    hooks::useRealTicks();
    return frame;
}

std::string Moment::name() const {
    return "scene" + std::to_string(scene) + "-" + std::to_string(ms);
}

std::vector<Moment> goldenMoments() {
    std::vector<Moment> moments;
    for (const auto& entry : std::filesystem::directory_iterator("tests/references")) {
        Moment m{};
        char end = 0;
        if (std::sscanf(entry.path().filename().c_str(), "scene%d-%u.pn%c", &m.scene, &m.ms,
                        &end) == 3 &&
            end == 'g') {
            moments.push_back(m);
        }
    }
    std::sort(moments.begin(), moments.end(), [](const Moment& a, const Moment& b) {
        return a.scene != b.scene ? a.scene < b.scene : a.ms < b.ms;
    });
    return moments;
}

::testing::AssertionResult matchesGolden(const testimages::Image& frame, const std::string& name) {
    return testimages::matchesReference(frame, testimages::reference(name), 16, 0.01);
}

::testing::AssertionResult matchesGolden(Scene& scene, const Moment& moment) {
    return matchesGolden(frameAt(scene, moment.ms), moment.name());
}

} // namespace harness
