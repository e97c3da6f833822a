// Every scene against its golden frames: one case for each picture in tests/references/, the
// scene drawn at that moment as harness::frameAt draws it.
#include "GLTestWindow.h"
#include "Sample.h"
#include "Sample2.h"
#include "Sample3.h"
#include "Sample4.h"
#include "SceneHarness.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<Scene> sceneNumber(int n) {
    switch (n) {
    case 1:
        return std::make_unique<Sample>();
    case 2:
        return std::make_unique<Sample2>();
    case 3:
        return std::make_unique<Sample3>();
    case 4:
        return std::make_unique<Sample4>();
    default:
        return nullptr;
    }
}

class Golden : public ::testing::TestWithParam<harness::Moment> {
protected:
    void SetUp() override { ASSERT_TRUE(glwindow::open()); }
};

TEST_P(Golden, TheSceneMatchesTheReferenceFrame) {
    const std::unique_ptr<Scene> scene = sceneNumber(GetParam().scene);
    ASSERT_TRUE(scene) << "no scene " << GetParam().scene;
    EXPECT_TRUE(harness::matchesGolden(*scene, GetParam()));
    EXPECT_EQ(glwindow::pendingError(), 0u);
}

INSTANTIATE_TEST_SUITE_P(References, Golden, ::testing::ValuesIn(harness::goldenMoments()),
                         [](const auto& info) {
                             return "scene" + std::to_string(info.param.scene) + "_" +
                                    std::to_string(info.param.ms);
                         });

} // namespace
