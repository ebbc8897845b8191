#pragma once

#include <string>
#include <string_view>

// Why the audio could not start, as the user reads it.
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

// The texts of audio start-up failures, English and Korean, in one table. The English texts
// keep the spellings users of earlier versions know.
class DecoderMessages {
public:
    // The reason text for the UI language (1042 Korean, anything else English).
    static std::u16string Text(DecoderMessage message, int language);
    // The message box text: "Decorder initialize failed. (reason)".
    static std::u16string FailureText(std::u16string_view reason, int language);
    // The message box title.
    static std::u16string Title(int language);
};
