#pragma once

#include "runtime/fsound.h"

#include <climits>
#include <deque>
#include <string>
#include <vector>

// The state of the stand-in run-time library the binding tests load. The test reaches it through
// the exported FakeFmodce_State() and steers the library's answers with it.
struct FakeFmodceUnit {
    FSOUND_DSPCALLBACK callback = nullptr;
    int priority = 0;
    void* userdata = nullptr;
    bool active = false;
    bool freed = false;
};

struct FakeFmodceState {
    // Steering.
    int initMaxRate = INT_MAX; // FSOUND_Init fails above this rate
    bool setBufferSizeFails = false;
    bool dspCreateFails = false;

    // What happened: one line per call that matters ("Init 44100 16 8").
    std::vector<std::string> calls;
    void* hwnd = nullptr;
    int output = FSOUND_OUTPUT_AUTODETECT;
    bool initialised = false;
    std::deque<FakeFmodceUnit> units; // FSOUND_DSPUNIT* points at one of these

    void Reset() { *this = FakeFmodceState{}; }
};

extern "C" FakeFmodceState* FakeFmodce_State();
