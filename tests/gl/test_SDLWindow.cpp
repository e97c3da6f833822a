// The window's event handling: which keys count, in which order, and that handling them presents
// nothing. (Xvfb offers no swap control: the presents' pace is tested on a compositor's display.)
#include "Hooks.h"
#include "SDLWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

void pushKey(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void pushType(Uint8 type) {
    SDL_Event event{};
    event.type = type;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

bool fullscreen() {
    return (SDL_GetVideoSurface()->flags & SDL_FULLSCREEN) != 0;
}

class SDLWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<SDLWindow>("ZOKK!!!~~", 640, 480, 24, false);
        ASSERT_TRUE(window->isOpen());
        // Drain whatever the window system queued on opening.
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        hooks::resetCounts();
    }
    std::unique_ptr<SDLWindow> window;
};

TEST_F(SDLWindowTest, OpensAFullScreenDoubleBufferedModeWithItsTitle) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 640);
    EXPECT_EQ(screen->h, 480);
    EXPECT_TRUE(screen->flags & SDL_OPENGL);
    EXPECT_TRUE(fullscreen());
    int doubleBuffer = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
    EXPECT_EQ(doubleBuffer, 1);
    int depth = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 24);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "ZOKK!!!~~");
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

// A present that shows no new picture would wait a whole refresh where presents are in step with
// the display, halving the show's rate: the scene's swap is the pass's only one.
TEST_F(SDLWindowTest, AQuietPassPresentsNothing) {
    EXPECT_FALSE(window->handleEvents());
    EXPECT_FALSE(window->handleEvents());
    EXPECT_EQ(hooks::swapCount(), 0u);
}

TEST_F(SDLWindowTest, EscapeQuitsAtOnceAndLeavesLaterEventsQueued) {
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    pushKey(SDL_KEYDOWN, SDLK_f);
    EXPECT_TRUE(window->handleEvents());
    EXPECT_EQ(hooks::swapCount(), 0u);
    EXPECT_TRUE(fullscreen()) << "the f behind Escape must stay unhandled";
    SDL_Event left;
    ASSERT_EQ(SDL_PollEvent(&left), 1);
    EXPECT_EQ(left.type, SDL_KEYDOWN);
    EXPECT_EQ(left.key.keysym.sym, SDLK_f);
}

TEST_F(SDLWindowTest, FTogglesFullScreenAndShiftFDoesToo) {
    pushKey(SDL_KEYDOWN, SDLK_f);
    EXPECT_FALSE(window->handleEvents());
    EXPECT_FALSE(fullscreen());
    pushKey(SDL_KEYDOWN, SDLK_f, KMOD_LSHIFT);
    EXPECT_FALSE(window->handleEvents());
    EXPECT_TRUE(fullscreen());
    EXPECT_EQ(hooks::swapCount(), 0u);
}

TEST_F(SDLWindowTest, FThenEscapeTogglesAndQuits) {
    pushKey(SDL_KEYDOWN, SDLK_f);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_TRUE(window->handleEvents());
    EXPECT_FALSE(fullscreen());
}

TEST_F(SDLWindowTest, ReleasesMouseOtherKeysAndTheQuitRequestAreIgnored) {
    pushKey(SDL_KEYUP, SDLK_ESCAPE);
    pushKey(SDL_KEYUP, SDLK_f);
    pushKey(SDL_KEYDOWN, SDLK_q);
    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    pushType(SDL_MOUSEBUTTONDOWN);
    pushType(SDL_MOUSEMOTION);
    pushType(SDL_QUIT);
    EXPECT_FALSE(window->handleEvents());
    EXPECT_TRUE(fullscreen());
    EXPECT_TRUE(window->isOpen()) << "a close request while the display answers is no loss";
    EXPECT_EQ(hooks::swapCount(), 0u);
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0) << "every event is consumed";
}

} // namespace
