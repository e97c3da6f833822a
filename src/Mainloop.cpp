#include "Mainloop.h"

#include "SDLWindow.h"
#include "Scene.h"
#include "Script.h"
#include "StopSignals.h"

Mainloop::Mainloop()
    : window(new SDLWindow(Script::title, Script::width, Script::height, Script::depth, false)) {}

Mainloop::~Mainloop() {
    delete window;
}

void Mainloop::addScene(Scene* scene, unsigned int duration) {
    scenes.push(sceneDesc{scene, duration});
}

int Mainloop::scenesInQue() const {
    return static_cast<int>(scenes.size());
}

bool Mainloop::hasWindow() const {
    return window->isOpen();
}

void Mainloop::popScene() {
    sceneDesc& front = scenes.front();
    delete front.scene;
    front.scene = nullptr;
    scenes.pop();
}

int Mainloop::run() {
    // An empty queue, or a finished one, has nothing to run.
    while (!scenes.empty() && scenes.front().scene) {
        // A stop signal ends the show as Escape does: the current scene writes no statistics.
        if (StopSignals::caught() != 0 || window->handleEvents()) {
            return 0;
        }
        Scene* scene = scenes.front().scene;
        if (!scene->isInited()) {
            scene->init();
        }
        if (scene->getTime() >= scenes.front().duration) {
            if (scenesInQue() > 1) {
                scene->deinit();
                popScene();
                scene = scenes.front().scene;
                scene->init();
            } else {
                // The last scene: its destructor pops its attributes itself. The entry
                // stays queued, without a scene, until the loop is destroyed.
                delete scene;
                scenes.front().scene = nullptr;
                return 0;
            }
        }
        scene->render();
    }
    return 0;
}
