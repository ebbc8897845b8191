#pragma once

#include "engine/plugins/DecoderPlugin.h"

// The decoder plug-in for Windows Media Audio files, inside the program: it reads the ASF
// container itself and decodes the first audio stream's payloads with the WMA decoder. Local
// files only, with seeking and tags. The program registers it with PlayerAddDecoder right after
// creating a player.
const DecoderPlugin* WmaDecoderPlugin();
