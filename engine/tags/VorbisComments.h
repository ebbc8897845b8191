#pragma once

#include "engine/core/PlayerTypes.h"

#include <string>
#include <vector>

// Maps Vorbis comments ("NAME=value", UTF-8) into a TagInfo: TITLE, ARTIST, ALBUM, COMMENT and
// GENRE into the texts (at most 63 units each), TRACKNUMBER into the track. Names are compared
// without regard to the case of a-z; DATE is recognised but TagInfo has no place for it.
class VorbisComments {
public:
    static constexpr size_t kValueUnits = 63;

    // True when at least one comment was stored; later comments overwrite earlier ones.
    static bool Apply(const std::vector<std::string>& comments, TagInfo& tag);
};
