#pragma once
#include "model/cModel.h"

// cModel::Animate drawn the plainest way: immediate mode, every corner blended on its own with
// cModel::Interpolate. Written only to check the engine's drawing, which must give the same
// pixels. Draws nothing for a frame that does not exist.
void AnimateImmediate(const cModel& model, unsigned int frame, float percent, float tx, float ty,
                      float tz, float sx, float sy, float sz, float angleDegrees, float ax, float ay,
                      float az, float alpha);
