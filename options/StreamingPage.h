#pragma once

#include "ui/OptionsPage.h"

class PlayerSession;
class Profile;
class QCheckBox;
class QLabel;
class QLineEdit;
class TrackbarField;

// The "Streaming" page: the built-in engine's buffer and prebuffer for internet streams in KB,
// and the proxy server it goes through.
class StreamingPage : public OptionsPage {
    Q_OBJECT

public:
    // Without a session (a page shown on its own) OK only writes the settings.
    explicit StreamingPage(Profile& profile, PlayerSession* session = nullptr,
                           QWidget* parent = nullptr);

    // Refuses a typed number outside its trackbar's range.
    bool Validate() override;
    // Writes the four settings and hands them to the engine.
    void Apply() override;

    TrackbarField* BufferSize() const { return m_buffer; }
    TrackbarField* PrebufferSize() const { return m_prebuffer; }
    QCheckBox* UseProxy() const { return m_useProxy; }
    QLineEdit* Proxy() const { return m_proxy; }
    QLabel* Error() const { return m_error; }

private:
    Profile& m_profile;
    PlayerSession* m_session;
    TrackbarField* m_buffer;
    TrackbarField* m_prebuffer;
    QCheckBox* m_useProxy;
    QLineEdit* m_proxy;
    QLabel* m_error;
};
