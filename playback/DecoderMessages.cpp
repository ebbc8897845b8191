#include "playback/DecoderMessages.h"

namespace {

// In the order of DecoderMessage. Whole sentences, so that a translation can word each its own
// way.
const UiText kFailures[] = {
    UI_TEXT("DecoderMessages", "Decorder initialize failed. (Decorder dll file load faild)"),
    UI_TEXT("DecoderMessages", "Decorder initialize failed. (Decoder initialize faild)"),
    UI_TEXT("DecoderMessages", "Decorder initialize failed. (Decoder buffer failed)"),
    UI_TEXT("DecoderMessages", "Decorder initialize failed. (Decoder initialize retry failed)"),
    UI_TEXT("DecoderMessages", "Decorder initialize failed. (Decoder library initialize faild)"),
    UI_TEXT("DecoderMessages", "Decorder initialize failed. (VU-Meter DSP unit initialize failed)"),
    UI_TEXT("DecoderMessages", "Decorder initialize failed. (Spectrum DSP unit initialize failed)"),
    UI_TEXT("DecoderMessages", "Decorder initialize failed. (DSP unit initialize failed)"),
};

} // namespace

UiText DecoderMessages::FailureText(DecoderMessage message) {
    return kFailures[static_cast<int>(message)];
}

UiText DecoderMessages::Title() {
    return UI_TEXT("DecoderMessages", "Decoder Error");
}
