#pragma once

#include "support/UiText.h"

// Why the audio could not start.
enum class DecoderMessage {
    LoadFailed,      // the library file did not load
    BindFailed,      // a function of the library is missing
    BufferFailed,    // the library refused its window or buffer sizes
    InitRetryFailed, // no mixing rate worked
    EngineFailed,    // the built-in engine could not be created
    VuMeterFailed,
    SpectrumFailed,
    DspFailed, // a DSP unit of the library could not be created
};

// The message box of an audio start-up failure. The English texts keep the spellings users of
// earlier versions know.
class DecoderMessages {
public:
    // "Decorder initialize failed. (reason)".
    static UiText FailureText(DecoderMessage message);
    static UiText Title();
};
