#include "scene/scene.h"

// All zero at start; null time sources stand for the system's own clocks.
SceneState sceneStates[kMostMonitors];
