#include "options/PlaybackSpeedDialog.h"

#include "session/PlayerSession.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QString Factor(int position) {
    return QStringLiteral("%1.%2x").arg(position / 10).arg(position % 10);
}

} // namespace

PlaybackSpeedDialog::PlaybackSpeedDialog(PlayerSession& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("playback-speed"));
    setWindowTitle(tr("Playback Speed"));
    m_openedFrequency = session.ChannelFrequency();
    m_baseFrequency = session.BaseFrequency();

    auto* layout = new QVBoxLayout(this);
    m_value = new QLabel(this);
    m_value->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_value);

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(kMinPosition, kMaxPosition);
    m_slider->setPageStep(1);
    m_slider->setTickInterval(2);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 30);
    // The factor x 10 truncated (a hair added so that 0.7 does not become 6.9999...).
    m_slider->setValue(static_cast<int>(session.State().speed * 10 + 1e-9));
    layout->addWidget(m_slider);

    auto* scale = new QHBoxLayout;
    scale->addWidget(new QLabel(tr("Slow"), this));
    scale->addStretch();
    scale->addWidget(new QLabel(tr("Fast"), this));
    layout->addLayout(scale);

    m_value->setText(Factor(m_slider->value()));
    connect(m_slider, &QSlider::valueChanged, this, &PlaybackSpeedDialog::Moved);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

double PlaybackSpeedDialog::Speed() const {
    return m_slider->value() * 0.1;
}

void PlaybackSpeedDialog::Moved(int position) {
    m_value->setText(Factor(position));
    if (m_openedFrequency > 0)
        m_session.SetChannelFrequency(position * m_baseFrequency / 10);
}

void PlaybackSpeedDialog::reject() {
    if (m_openedFrequency > 0)
        m_session.SetChannelFrequency(m_openedFrequency);
    QDialog::reject();
}
