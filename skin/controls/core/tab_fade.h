// Schedules of the page control's animations, as numbers: the hot-state fade of one tab and the
// cross-fade of a page change. The windowed classes keep the pictures and drive these from
// their timers (or a test's stepped clock). No windows.h here.
#pragma once

#include <vector>

#include "skin/engine/core/transition_schedule.h"

// Milliseconds between two frames of a tab's fade (a page change's: TransitionFrameInterval).
constexpr int TabFadeInterval = 12;

// The fade of one tab between two pictures of it (the tab sheet's animation timer): towards
// the hot look in 6 steps, back to the normal look in 18, a pressed button tab or a pressed
// close button in half the steps. A frame is given as the weight (0..255) of the target picture
// mixed over the start picture; the last frame of every fade is the target itself.
struct TacTabFade {
    int State = -1;       // animation state the last fade aimed at (-1 = never started)
    int OldState = -1;    // the one before it
    int Iteration = 0;
    int Iterations = 6;
    double Value = 0;     // weight of the target, grows by ValueStep every step
    double ValueStep = 0;
    bool Enabled = false;

    // Steps the last fade still had to go: max(0, 18 - Iteration) after a fade to state 0,
    // else max(0, 6 - Iteration).
    int RemainingSteps() const;
    // Starts a fade towards animation state St (0..4, see TacPageTabs::TabAnimState). From is
    // RemainingSteps() of a timer that existed, 0 for a new one. Answers the weight of the frame
    // shown at once; the start picture is the frame on screen.
    int Start(int from, bool fast, int st);
    // One timer tick: the weight of the frame to show, or -1 when nothing is shown (the fade is
    // stopped or has just finished; then Enabled is False).
    int Tick();

private:
    int Step();
};

// A fade is fast towards a pressed button tab (state 2 on a page that is not a ttTab) and
// towards a pressed close button (state 4).
constexpr bool TabFadeIsFast(int st, bool isTabPage) { return (st == 2 && !isTabPage) || st == 4; }

// Weights of the old picture in the frames of a page change of Time milliseconds (Time div 24
// frames, fading from 255): 240 ms gives 255, 230, 204, ...; under 24 ms there are none and the
// new picture replaces the old at once.
std::vector<int> TransitionFrameWeights(int timeMs);
