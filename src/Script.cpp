#include "Script.h"

#include "Mainloop.h"
#include "Sample.h"
#include "Sample2.h"
#include "Sample3.h"
#include "Sample4.h"

namespace {

// Queues a freshly built scene; false when one of its pictures failed to load.
bool queue(Mainloop& mainloop, Scene* scene, unsigned int duration) {
    mainloop.addScene(scene, duration);
    return scene->isLoaded();
}

} // namespace

bool Script::queueScenes(Mainloop& mainloop) {
    return queue(mainloop, new Sample(), durations[0]) &&
           queue(mainloop, new Sample2(), durations[1]) &&
           queue(mainloop, new Sample3(), durations[2]) &&
           queue(mainloop, new Sample4(), durations[3]);
}
