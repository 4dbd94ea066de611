// The scene's fixed geometry, sent in immediate mode, and the star field.
// None of these sets or restores matrices; only the arch changes an enable,
// and puts it back.
#pragma once

struct SceneState;

void DrawBottle();          // 1536 triangles, normal then vertex per vertex
void DrawBottleLabel();     // 40 textured triangles
void DrawLogoLetters();     // the glyph faces at z = -4
void DrawLogoLetterSides(); // the 16 side walls between z = -5 and -4
// The half-disc arch and its fields, from the scene's half-circle tables. Its
// filled layers are drawn with the polygon offset on, so that its rim shows over
// them; the offset is off again afterwards.
void DrawLogoArch(const SceneState& scene);
void BuildStarField(float radius);  // compiles display list 998 from 6160 rand draws
