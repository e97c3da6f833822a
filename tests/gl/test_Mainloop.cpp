// The frame loop under a clock the test drives: order of init, render, deinit and delete
// across a queue, the exact switching millisecond, a wrapping tick counter, Escape, and the
// OpenGL attribute stack staying balanced.
#include "GLTestWindow.h"
#include "Hooks.h"
#include "Mainloop.h"
#include "Scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> journal;

// A scene that writes what happens to it into the journal and moves the frozen clock on by
// `step` milliseconds per frame it draws.
class JournalScene : public Scene {
public:
    JournalScene(std::string name, Uint32 step, Mainloop* loop = nullptr)
        : name(std::move(name)), step(step), loop(loop) {}
    ~JournalScene() override {
        Scene::deinit();
        journal.push_back("delete " + name);
    }
    void init() override {
        Scene::init();
        journal.push_back("init " + name);
    }
    void deinit() override {
        Scene::deinit();
        journal.push_back("deinit " + name);
    }
    void render() override {
        journal.push_back("render " + name + " at " + std::to_string(getTime()));
        if (loop) {
            queued.push_back(loop->scenesInQue());
        }
        const GLenum error = glGetError();
        if (error != GL_NO_ERROR) {
            journal.push_back("GL error " + std::to_string(error));
        }
        if (onRender) {
            onRender(*this);
        }
        SDL_GL_SwapBuffers();
        ++frames;
        hooks::advanceTicks(step);
    }

    std::string name;
    Uint32 step;
    Mainloop* loop;
    std::vector<int> queued;
    std::function<void(JournalScene&)> onRender;
};

int attributeDepth() {
    GLint depth = -1;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
    return depth;
}

class MainloopTest : public ::testing::Test {
protected:
    void SetUp() override {
        journal.clear();
        hooks::setTicks(1000);
        hooks::resetCounts();
    }
    void TearDown() override { hooks::useRealTicks(); }

    // The journal with the render lines of one scene folded into a count.
    static std::vector<std::string> folded() {
        std::vector<std::string> out;
        for (const std::string& line : journal) {
            const bool render = line.rfind("render ", 0) == 0;
            const std::string key = render ? line.substr(0, line.find(" at ")) : line;
            if (render && !out.empty() && out.back().rfind(key + " x", 0) == 0) {
                const int n = std::stoi(out.back().substr(key.size() + 2)) + 1;
                out.back() = key + " x" + std::to_string(n);
            } else {
                out.push_back(render ? key + " x1" : line);
            }
        }
        return out;
    }
};

TEST_F(MainloopTest, RunsTheQueueInOrderAndSwitchesAtExactlyTheDuration) {
    Mainloop loop;
    ASSERT_TRUE(loop.hasWindow());
    // A runs 10 frames of 10 ms: at 90 ms it still draws, at 100 ms it is over.
    loop.addScene(new JournalScene("A", 10), 100);
    // B's duration is one millisecond past a frame boundary, so it draws once more.
    loop.addScene(new JournalScene("B", 10), 51);
    loop.addScene(new JournalScene("C", 5), 10);
    EXPECT_EQ(loop.scenesInQue(), 3);

    EXPECT_EQ(loop.run(), 0);

    const std::vector<std::string> expected = {"init A", "render A x10", "deinit A", "delete A",
                                               "init B", "render B x6",  "deinit B", "delete B",
                                               "init C", "render C x2",  "delete C"};
    EXPECT_EQ(folded(), expected);
    EXPECT_EQ(loop.scenesInQue(), 1) << "the last entry stays queued until the loop goes";
    // Each drawing pass presents once, at the end of its scene's frame; the ending pass draws
    // nothing and presents nothing.
    EXPECT_EQ(hooks::swapCount(), 18u);
}

TEST_F(MainloopTest, TheIncomingSceneDrawsItsFirstFrameInTheSwitchingPass) {
    Mainloop loop;
    loop.addScene(new JournalScene("A", 10), 20);
    loop.addScene(new JournalScene("B", 10), 10);
    loop.run();
    const std::vector<std::string> expected = {"init A",        "render A at 0", "render A at 10",
                                               "deinit A",      "delete A",      "init B",
                                               "render B at 0", "delete B"};
    EXPECT_EQ(journal, expected);
}

TEST_F(MainloopTest, ATickCounterWrappingDuringASceneChangesNothing) {
    hooks::setTicks(0xFFFFFFFFu - 35);
    Mainloop loop;
    loop.addScene(new JournalScene("A", 10), 100);
    loop.addScene(new JournalScene("B", 10), 30);
    loop.run();
    const std::vector<std::string> expected = {"init A", "render A x10", "deinit A", "delete A",
                                               "init B", "render B x3",  "delete B"};
    EXPECT_EQ(folded(), expected);
}

TEST_F(MainloopTest, ASingleSceneRunsItsDurationAndIsDeleted) {
    Mainloop loop;
    loop.addScene(new JournalScene("only", 1), 7);
    EXPECT_EQ(loop.run(), 0);
    const std::vector<std::string> expected = {"init only", "render only x7", "delete only"};
    EXPECT_EQ(folded(), expected);
}

TEST_F(MainloopTest, AnEmptyQueueReturnsAtOnce) {
    Mainloop loop;
    EXPECT_EQ(loop.scenesInQue(), 0);
    EXPECT_EQ(loop.run(), 0);
    EXPECT_EQ(hooks::swapCount(), 0u);
}

TEST_F(MainloopTest, CountsTheEntriesStillQueued) {
    Mainloop loop;
    auto* a = new JournalScene("A", 10, &loop);
    auto* b = new JournalScene("B", 10, &loop);
    std::vector<int> seenByB;
    b->onRender = [&](JournalScene& s) { seenByB.push_back(s.loop->scenesInQue()); };
    loop.addScene(a, 20);
    loop.addScene(b, 20);
    EXPECT_EQ(loop.scenesInQue(), 2);
    loop.run();
    EXPECT_EQ(seenByB, (std::vector<int>{1, 1}));
}

TEST_F(MainloopTest, EscapeStopsTheCurrentSceneWithoutDeletingIt) {
    Mainloop loop;
    auto* b = new JournalScene("B", 10);
    b->onRender = [](JournalScene& s) {
        if (s.getTime() == 20) {
            SDL_Event escape{};
            escape.type = SDL_KEYDOWN;
            escape.key.type = SDL_KEYDOWN;
            escape.key.state = SDL_PRESSED;
            escape.key.keysym.sym = SDLK_ESCAPE;
            SDL_PushEvent(&escape);
        }
    };
    loop.addScene(new JournalScene("A", 10), 20);
    loop.addScene(b, 1000);
    loop.addScene(new JournalScene("C", 10), 1000);
    EXPECT_EQ(loop.run(), 0);
    const std::vector<std::string> expected = {"init A",   "render A x2", "deinit A",
                                               "delete A", "init B",      "render B x3"};
    EXPECT_EQ(folded(), expected);
    EXPECT_TRUE(b->isInited());
    EXPECT_EQ(loop.scenesInQue(), 2);
    // The scenes left in the queue are not the loop's to delete after Escape; the test
    // releases them itself while the context is alive.
    delete b;
    journal.clear();
}

TEST_F(MainloopTest, EachSceneLeavesTheAttributeStackAsItFoundItAndNoErrorBehind) {
    Mainloop loop;
    const int before = attributeDepth();
    std::vector<int> depthDuringB;
    auto* b = new JournalScene("B", 10);
    b->onRender = [&](JournalScene&) { depthDuringB.push_back(attributeDepth()); };
    loop.addScene(new JournalScene("A", 10), 30);
    loop.addScene(b, 30);
    loop.run();
    EXPECT_EQ(depthDuringB, (std::vector<int>{before + 1, before + 1, before + 1}));
    EXPECT_EQ(attributeDepth(), before);
    EXPECT_EQ(glwindow::pendingError(), 0u) << "a second pop would leave a stack underflow";
    for (const std::string& line : journal) {
        EXPECT_EQ(line.rfind("GL error", 0), std::string::npos) << line;
    }
}

} // namespace
