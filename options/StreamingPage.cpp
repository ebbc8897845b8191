#include "options/StreamingPage.h"

#include "options/TrackbarField.h"
#include "session/PlayerSession.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace setting;

StreamingPage::StreamingPage(Profile& profile, PlayerSession* session, QWidget* parent)
    : OptionsPage(parent), m_profile(profile), m_session(session) {
    setWindowTitle(tr("Streaming"));

    m_buffer = new TrackbarField(16, 1024, 16, 128, this);
    m_buffer->SetValue(Settings::Get(profile, kStreamingBufferSize));
    m_prebuffer = new TrackbarField(16, 1024, 16, 128, this);
    m_prebuffer->SetValue(Settings::Get(profile, kStreamingPreBufferSize));
    m_error = TrackbarField::MakeErrorLabel(this);

    m_useProxy = new QCheckBox(tr("Use Proxy Server"), this);
    m_useProxy->setChecked(Settings::Get(profile, kUseProxy) == 1);
    m_proxy = new QLineEdit(QString::fromStdU16String(Settings::Get(profile, kProxyServer)), this);
    m_proxy->setEnabled(m_useProxy->isChecked());
    connect(m_useProxy, &QCheckBox::toggled, m_proxy, &QLineEdit::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Buffer Size (KB)"), this));
    layout->addWidget(m_buffer);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(new QLabel(tr("Prebuffer Size (KB)"), this));
    layout->addWidget(m_prebuffer);
    layout->addWidget(m_error);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(m_useProxy);
    layout->addWidget(m_proxy);
    layout->addStretch(1);
}

bool StreamingPage::Validate() {
    return TrackbarField::CheckTyped({m_buffer, m_prebuffer}, m_error);
}

void StreamingPage::Apply() {
    Settings::Set(m_profile, kStreamingBufferSize, m_buffer->Value());
    Settings::Set(m_profile, kStreamingPreBufferSize, m_prebuffer->Value());
    Settings::Set(m_profile, kUseProxy, m_useProxy->isChecked() ? 1 : 0);
    Settings::Set(m_profile, kProxyServer, m_proxy->text().toStdU16String());
    if (m_session)
        m_session->ApplyStreamingOptions();
}
