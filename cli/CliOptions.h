#pragma once

#include "engine/core/PlayerTypes.h"

#include <optional>
#include <string>

// The command line of sonvale-cli:
//   sonvale-cli play FILE [options]
//   sonvale-cli decode FILE -o OUT.wav [options]
//   sonvale-cli info FILE
//   sonvale-cli lyrics FILE [--download]
struct CliOptions {
    std::string command;
    std::string file;
    std::string output;
    PlayerOptions player;
    std::optional<EqualizerParams> equalizer;
    std::optional<EffectParams> surround, chorus, echo, reverb;
    int bassBoost = 0;
    // lyrics: ask the lyrics services when the track has none
    bool download = false;
    std::string error; // set when the command line is wrong

    static CliOptions Parse(int argc, char** argv);
    static const char* Usage();
};
