#include "app/ChildView.h"

#include "app/SettingNames.h"
#include "app/Settings.h"
#include "platform/Registry.h"
#include "platform/SystemLocale.h"
#include "skin/ControlStyles.h"
#include "skin/DisplayLCD.h"
#include "skin/DisplayPanel.h"
#include "skin/ImageButton.h"
#include "skin/ImageSlideBar.h"
#include "skin/MuteSwitch.h"
#include "skin/ToggleButton.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>

using namespace setting;

CChildView* CChildView::s_instance = nullptr;

namespace {

QImage Element(const char16_t* section, const char16_t* key, int id) {
    CSkinManager element;
    element.LoadImage(section, key, id);
    return element.GetBitmap();
}

QString Text(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

} // namespace

CChildView::CChildView(QWidget* parent)
    : QWidget(parent), m_profile(Registry::Shared(), kRegistryKeyWord, kProfileName) {
    setFixedSize(480, 536);
    setFocusPolicy(Qt::StrongFocus);
    m_language = Settings::UiLanguage(m_profile, SystemLocale::LanguageId());
    for (auto& event : m_workerEvents)
        event = std::make_unique<Event>(false, false);
    s_instance = this;
}

CChildView::~CChildView() {
    Shutdown();
    if (s_instance == this)
        s_instance = nullptr;
}

bool CChildView::Create() {
    // 1. Audio start-up (the run-time library and the built-in engine).
    m_audio = std::make_unique<CFmodBackend>(m_profile, Registry::Shared(), *this, m_language);
    if (!m_audio->Start()) {
        QMessageBox::critical(this, Text(m_audio->FailureTitle()), Text(m_audio->FailureText()));
        m_audio.reset();
        return false;
    }

    // 2. The skin and the controls.
    CSkinManager::LoadSkin(u"", &m_profile);
    m_background.LoadImage(u"Main", u"Main", 130);
    CreateControls();
    m_panel->SetQuality("00", "000");

    // 4-5. Volume, and the buttons the skin and "ButtonMode" show.
    int32_t range = Settings::VolumeRange(m_profile);
    m_volume->SetRange(0, range, 1);
    m_volume->SetPos(Settings::Volume(m_profile, range));
    ShowButtonPair(Settings::Get(m_profile, kButtonMode));

    // 7-9. The tick starts, then the workers; the rest of the start-up runs from the loop.
    m_audio->ActivateTick();
    StartWorkers();
    PostWindowMessage(this, kStartupContinuation, 0, 0);
    m_created = true;
    return true;
}

void CChildView::CreateControls() {
    auto button = [this](const char16_t* key, int image, uint32_t grid, int x, int y, int id,
                         bool enabled) {
        auto* b = new CImageButton(Element(u"Main", key, image), grid, QPoint(x, y), this, id);
        b->setEnabled(enabled);
        m_buttons[id] = b;
    };
    auto toggle = [this](const char16_t* key, int image, int x, int y, int id) {
        auto* t = new CToggleButton(Element(u"Main", key, image), 0, QPoint(x, y), this, id, true);
        m_buttons[id] = t;
        return t;
    };

    auto* minimise = new CImageButton(Element(u"Title", u"MinButton", 243), IBS_ONE_COLUMN,
                                      QPoint(386, 10), this, 32891);
    minimise->hide();
    auto* quit = new CImageButton(Element(u"Title", u"QuitButton", 244), IBS_ONE_COLUMN,
                                  QPoint(430, 10), this, 32892);
    quit->hide();
    m_buttons[32891] = minimise;
    m_buttons[32892] = quit;

    m_lcd = new CDisplayLCD(m_profile, this);
    m_lcd->setGeometry(QRect(QPoint(16, 14), QPoint(465, 43)));

    m_seek = new CImageSlideBar(0, QRect(QPoint(24, 314), QPoint(455, 345)), this, kSeekSliderId,
                                Element(u"Main", u"ProgressSlideTrack", 139),
                                Element(u"Main", u"ProgressThumb", 140), true);
    m_seek->setEnabled(false);
    m_volume = new CImageSlideBar(TBS_VERT, QRect(QPoint(34, 132), QPoint(69, 223)), this,
                                  kVolumeSliderId, Element(u"Main", u"VolumeSlideTrack", 138),
                                  Element(u"Main", u"VolumeThumb", 137), false);

    m_panel = new CDisplayPanel(m_profile, this, this, this);
    m_panel->setGeometry(QRect(QPoint(86, 68), QPoint(453, 233)));

    button(u"PowerButton", 176, IBS_TWO_COLUMNS, 24, 68, 57665, true);
    button(u"LastTrackButton", 131, IBS_THREE_COLUMNS, 32, 250, 32780, false);
    button(u"PlayButton", 134, IBS_THREE_COLUMNS, 86, 250, 32773, false);
    button(u"PauseButton", 136, IBS_THREE_COLUMNS, 210, 250, 32774, false);
    button(u"StopButton", 133, IBS_THREE_COLUMNS, 264, 250, 32775, false);
    button(u"NextTrackButton", 146, IBS_THREE_COLUMNS, 318, 250, 32781, false);
    button(u"EjectButton", 135, IBS_TWO_COLUMNS, 372, 250, 32772, true);
    toggle(u"ShuffleButton", 158, 32, 466, 32783)->SetCheck(Settings::Get(m_profile, kShuffle));
    toggle(u"RepeatButton", 159, 168, 466, 32784)->SetCheck(Settings::Get(m_profile, kRepeat));
    toggle(u"SpeedButton", 252, 32, 466, 32857);
    toggle(u"AtoBButton", 253, 168, 466, 1105);
    toggle(u"PlayListButton", 160, 292, 466, 32815);
}

// "ButtonMode" 1 shows shuffle and repeat; any other value speed and A-B, at the same places.
void CChildView::ShowButtonPair(int buttonMode) {
    bool shuffleRepeat = buttonMode == 1;
    m_buttons[32783]->setVisible(shuffleRepeat);
    m_buttons[32784]->setVisible(shuffleRepeat);
    m_buttons[32857]->setVisible(!shuffleRepeat);
    m_buttons[1105]->setVisible(!shuffleRepeat);
}

bool CChildView::StartVuMeter(const FmodFunctions&) {
    return true; // the display panel's meter reads the levels through LevelSource
}

bool CChildView::StartSpectrum(const FmodFunctions&) {
    return true;
}

void CChildView::StartLevels() {}

void CChildView::StopLevels() {}

bool CChildView::Levels(float& left, float& right) {
    left = right = 0.0f;
    return false;
}

uint32_t CChildView::WaveOutVolume() {
    return 0xFFFFFFFF;
}

void CChildView::SetWaveOutVolume(uint32_t) {}

int CChildView::LibraryVolume() {
    return 255;
}

void CChildView::SetLibraryVolume(int) {}

// Once per mixed block, on the library's mixer thread: count and pulse the workers.
void CChildView::OnTick() {
    if (m_stopWorkers)
        return;
    static constexpr std::array<uint16_t, kWorkers> kLimits{16, 31, 151, 31, 16};
    for (int i = 0; i < kWorkers; ++i) {
        if (++m_tickCounts[i] > kLimits[i]) {
            m_tickCounts[i] = 0;
            m_workerEvents[i]->Set();
        }
    }
}

void CChildView::StartWorkers() {
    m_stopWorkers = false;
    for (int i = 0; i < kWorkers; ++i) {
        m_workerEvents[i]->Reset();
        m_workers[i].Start(
            [this, i] {
                while (true) {
                    m_workerEvents[i]->Wait();
                    if (m_stopWorkers)
                        return;
                    RunWorkerJob(i + 1);
                }
            },
            Thread::kPriorityNormal);
    }
}

void CChildView::StopWorkers() {
    m_stopWorkers = true;
    for (auto& event : m_workerEvents)
        event->Set();
    for (auto& worker : m_workers)
        worker.Wait(1000);
}

void CChildView::RunWorkerJob(int worker) {
    switch (worker) {
    case 1:
        if (m_displayOn && m_active)
            PostWindowMessage(m_lcd, CDisplayLCD::kScrollStepMessage, 0, 0);
        break;
    case 2:
        if (m_displayOn && m_active) {
            PostWindowMessage(m_panel, CDisplayPanel::kLevelStepMessage, 0, 0);
            PostWindowMessage(m_panel->MuteSwitch(), CMuteSwitch::kAnimateMessage, 0, 0);
        }
        break;
    default:
        break;
    }
}

bool CChildView::OnCommand(int id) {
    switch (id) {
    case 32922: // "Shuffle/Repeat"
    case 32923: // "Speed/A<->B"
        Settings::Set(m_profile, kButtonMode, id == 32922 ? 1 : 0);
        ShowButtonPair(id == 32922 ? 1 : 0);
        return true;
    default:
        return false;
    }
}

void CChildView::OnCopyData(const std::u16string& commandLine) {
    m_startLine = commandLine;
}

void CChildView::OnActivate(bool active, bool minimised) {
    m_active = active && !minimised;
}

bool CChildView::event(QEvent* event) {
    if (const auto* message = WindowMessageEvent::From(event))
        return HandleMessage(message->message, message->wParam, message->lParam);
    return QWidget::event(event);
}

bool CChildView::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LowWord(wParam));
        return true;
    default:
        return true;
    }
}

void CChildView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_background.Draw(painter, 0, 0);
}

void CChildView::keyPressEvent(QKeyEvent* event) {
    QWidget::keyPressEvent(event);
}

void CChildView::keyReleaseEvent(QKeyEvent* event) {
    QWidget::keyReleaseEvent(event);
}

void CChildView::Shutdown() {
    if (!m_created || m_shutDown)
        return;
    m_shutDown = true;
    StopWorkers();
    Settings::Set(m_profile, kVolume, m_volume->GetPos());
    if (m_audio)
        m_audio->Shutdown();
}
