// The frames of a content transition's cross-fade: one frame every 24 ms, Time div 24 steps,
// each frame a mix of the old picture over the new one whose weight falls from 255 towards 0.
// No windows.h here.
#pragma once

#include <vector>

// Milliseconds between two frames of a transition.
inline constexpr int TransitionFrameInterval = 24;

// Time (ms) div 24; no frames below 24 ms (the new picture replaces the old at once).
int TransitionStepCount(int time);

// The old picture's weight in each frame, in the order shown: C starts at 255 and loses
// 255 / StepCount per frame; a frame is shown while C > 2, at C rounded half to even.
// Kept in whole numbers so that 229.5 gives 230 and 178.5 gives 178 on every compiler.
// Empty for fewer than one step.
std::vector<int> TransitionWeights(int time);
