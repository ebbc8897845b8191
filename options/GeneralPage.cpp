#include "options/GeneralPage.h"

#include "platform/Profile.h"
#include "settings/Settings.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>

using namespace setting;

GeneralPage::GeneralPage(Profile& profile, QWidget* parent)
    : OptionsPage(parent), m_profile(profile) {
    setWindowTitle(tr("Preferences"));

    m_seek = new QSlider(Qt::Horizontal, this);
    m_seek->setRange(1, 20);
    m_seek->setSingleStep(1);
    m_seek->setPageStep(1);
    m_seek->setTickInterval(1);
    m_seek->setTickPosition(QSlider::TicksBelow);
    m_seekNumber = new QSpinBox(this);
    m_seekNumber->setRange(1, 20);
    m_seek->setValue(Settings::Get(profile, kSeekInterval));
    m_seekNumber->setValue(m_seek->value());
    connect(m_seek, &QSlider::valueChanged, m_seekNumber, &QSpinBox::setValue);
    connect(m_seekNumber, &QSpinBox::valueChanged, m_seek, &QSlider::setValue);

    auto* seekRow = new QHBoxLayout;
    seekRow->addWidget(m_seek, 1);
    seekRow->addWidget(m_seekNumber);

    // The zoom a value not offered reads as 1x.
    m_zoom = new QComboBox(this);
    m_zoom->addItem(tr("1x"), 100);
    m_zoom->addItem(tr("1.5x"), 150);
    m_zoom->addItem(tr("2x"), 200);
    m_zoom->setCurrentIndex(std::max(0, m_zoom->findData(Settings::Get(profile, kZoom))));
    auto* zoomRow = new QHBoxLayout;
    auto* zoomLabel = new QLabel(tr("&Zoom (when Sonvale starts again):"), this);
    zoomLabel->setBuddy(m_zoom);
    zoomRow->addWidget(zoomLabel);
    zoomRow->addWidget(m_zoom);
    zoomRow->addStretch(1);

    struct Choice {
        const char* text;
        NumberSetting value;
    };
    const Choice choices[] = {
        {QT_TR_NOOP("Load previous Playlist"), kSaveDefList},
        {QT_TR_NOOP("Start playback at startup"), kPlayOnStart},
        {QT_TR_NOOP("Resume (Save position and track)"), kResume},
        {QT_TR_NOOP("Scroll title"), kScrollMsg},
        {QT_TR_NOOP("Show lyrics on the main screen"), kUseLyricsDisplay},
        {QT_TR_NOOP("Use multi-sentence lyrics"), kTwoLineLyrics},
        {QT_TR_NOOP("Use \"/\" as a line feed in lyrics"), kReturnLine},
        {QT_TR_NOOP("Seek at intervals of lyrics time"), kSeekLyricsTime},
        {QT_TR_NOOP("Don't use system power settings"), kNoUsePowerSave},
        {QT_TR_NOOP("Display separator icon in Lyricslist"), kDisplayLyricsIcon},
        {QT_TR_NOOP("Use system volume"), kUseSystemVolume},
        {QT_TR_NOOP("VBR-MP3 accurate time measurement"), kVBRMpegAccurate},
        {QT_TR_NOOP("Display warning about VBR-MP3"), kDisplayVBRMP3Msg},
        {QT_TR_NOOP("Use auto display-off control"), kAutoDisplayOff},
        {QT_TR_NOOP("Suppress zero samples"), kRemoveZeroSample},
        {QT_TR_NOOP("Decoder restart at power on"), kDecoderRestart},
        {QT_TR_NOOP("Use default decoder"), kUseDefaultDecoder},
    };
    // In the stack mode the built-in engine must play: the choice is neither shown nor written.
    const bool stackMode = Settings::WidcommStackMode(profile.Store());

    m_options = new QListWidget(this);
    for (const Choice& choice : choices) {
        if (stackMode && std::u16string_view(choice.value.name) == kUseDefaultDecoder.name)
            continue;
        auto* item = new QListWidgetItem(tr(choice.text), m_options);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Settings::Get(profile, choice.value) == 1 ? Qt::Checked
                                                                      : Qt::Unchecked);
        m_rows.push_back({choice.value, item});
    }
    m_options->setMinimumHeight(m_options->fontMetrics().height() * 8); // a few rows in sight
    auto* options = new QGroupBox(tr("Options"), this);
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(m_options);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Seek Interval (Seconds)"), this));
    layout->addLayout(seekRow);
    layout->addLayout(zoomRow);
    layout->addWidget(options, 1);
}

QListWidgetItem* GeneralPage::Row(const NumberSetting& value) const {
    for (const BoundRow& row : m_rows)
        if (std::u16string_view(row.value.name) == value.name)
            return row.item;
    return nullptr;
}

void GeneralPage::Apply() {
    Settings::Set(m_profile, kSeekInterval, m_seek->value());
    Settings::Set(m_profile, kZoom, m_zoom->currentData().toInt());
    for (const BoundRow& row : m_rows)
        Settings::Set(m_profile, row.value, row.item->checkState() == Qt::Checked ? 1 : 0);
}
