#pragma once

#include <filesystem>

// The demo track and its lyrics, put into the player's data folder on first start so that an
// empty playlist has something to play.
inline constexpr const char* kDemoTrackName = "sonvale-demo.ogg";
inline constexpr const char* kDemoLyricsName = "sonvale-demo.lrc";

// Copies the demo track and its LRC file from `sourceFolder` into `dataFolder` (made when missing),
// each only when the data folder has no file of that name yet, so a user's edits survive. A copy
// goes to a temporary name first and is renamed into place, never leaving half a file behind.
// Returns the demo track's path in the data folder, or an empty path when it is not there.
std::filesystem::path InstallDemo(const std::filesystem::path& dataFolder,
                                  const std::filesystem::path& sourceFolder);
