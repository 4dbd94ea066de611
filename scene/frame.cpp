// Per-frame drawing: the step of the animation clock and the composition of the kind.
#include "scene/scene.h"

#include "settings/settings.h"

float FrameStep(int speed, SceneKind kind)
{
    // 0.7 at the default speed 15, one thirtieth more or less per notch.
    const float base = 0.7f;
    const float perNotch = -1.0f / 30.0f;
    double v = kind == Sentence ? speed * 1.8 : static_cast<double>(speed - 15) + 15;
    return static_cast<float>(base - (v - 15) * perNotch);
}

void DrawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    sceneState.clock -= FrameStep(saverSettings.Speed, sceneState.kind);
    glFlush();
}

void DrawSentenceScene()
{
}
