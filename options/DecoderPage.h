#pragma once

#include "ui/OptionsPage.h"

class PlayerSession;
class Profile;
class QLabel;
class TrackbarField;

// The "Decoder" page: the run-time library's stream buffer and mixing buffer in milliseconds.
// The stream buffer takes effect at once; the mixing buffer at the next start of the audio.
class DecoderPage : public OptionsPage {
    Q_OBJECT

public:
    // Without a session (a page shown on its own) OK only writes the settings.
    explicit DecoderPage(Profile& profile, PlayerSession* session = nullptr,
                         QWidget* parent = nullptr);

    // Refuses a typed number outside its trackbar's range.
    bool Validate() override;
    // Writes "StreamBufferSize" and "MixingBufferSize" and hands the stream buffer on.
    void Apply() override;

    TrackbarField* StreamBuffer() const { return m_stream; }
    TrackbarField* MixingBuffer() const { return m_mixing; }
    QLabel* Error() const { return m_error; }

private:
    Profile& m_profile;
    PlayerSession* m_session;
    TrackbarField* m_stream;
    TrackbarField* m_mixing;
    QLabel* m_error;
};
