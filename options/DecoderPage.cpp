#include "options/DecoderPage.h"

#include "options/TrackbarField.h"
#include "session/PlayerSession.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace setting;

DecoderPage::DecoderPage(Profile& profile, PlayerSession* session, QWidget* parent)
    : OptionsPage(parent), m_profile(profile), m_session(session) {
    setWindowTitle(tr("Decoder"));

    m_stream = new TrackbarField(100, 5000, 100, 1000, this);
    m_stream->SetValue(Settings::Get(profile, kStreamBufferSize));
    m_mixing = new TrackbarField(50, 1000, 50, 50, this);
    m_mixing->SetValue(Settings::Get(profile, kMixingBufferSize));
    m_error = TrackbarField::MakeErrorLabel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Stream Buffer (Milliseconds)"), this));
    layout->addWidget(m_stream);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(new QLabel(tr("Mixing Buffer (Milliseconds)"), this));
    layout->addWidget(m_mixing);
    layout->addWidget(m_error);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(
        new QLabel(tr("※ The Mixing Buffer change value\n    will be effective at restart"), this));
    layout->addStretch(1);
}

bool DecoderPage::Validate() {
    return TrackbarField::CheckTyped({m_stream, m_mixing}, m_error);
}

void DecoderPage::Apply() {
    Settings::Set(m_profile, kStreamBufferSize, m_stream->Value());
    Settings::Set(m_profile, kMixingBufferSize, m_mixing->Value());
    if (m_session)
        m_session->SetStreamBufferSize(m_stream->Value());
}
