#pragma once

#include <string>

// sonvale-cli lyrics FILE [--download]: prints the track's timed lyrics as the player finds them
// (the LRC file beside it, then the timed lyrics in its tags), one "[mm:ss.xx]text" line per time;
// with `download`, a track without them first gets them from the lyrics services of the player's
// settings. Returns the exit code: 0 with lyrics, 1 without.
int PrintLyrics(const std::string& file, bool download);
