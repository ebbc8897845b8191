#include "app/ViewUi.h"

#include "app/ChildView.h"
#include "app/MainFrame.h"
#include "input/Command.h"
#include "playback/PlaybackController.h"
#include "playback/PlaybackTexts.h"
#include "skin/DisplayLCD.h"
#include "skin/DisplayPanel.h"
#include "skin/ImageSlideBar.h"
#include "skin/MainViewLayout.h"
#include "skin/MuteSwitch.h"
#include "skin/VirtualButton.h"
#include "ui/Translated.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QThread>
#include <QTimerEvent>

#include <chrono>

namespace {

QString Text(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

// The play-status rows of the display panel's indicator.
constexpr int kPanelStop = 0;
constexpr int kPanelPlay = 1;
constexpr int kPanelPause = 2;

} // namespace

ViewUi::ViewUi(ChildView& view) : m_view(view) {}

void ViewUi::OnUi(std::function<void()> work) {
    if (QThread::currentThread() == m_view.thread()) {
        work();
        return;
    }
    // Work queued by the monitor may arrive after the view shut down: it is dropped then.
    QMetaObject::invokeMethod(
        &m_view,
        [this, work = std::move(work)] {
            if (m_view.AudioRunning())
                work();
        },
        Qt::QueuedConnection);
}

bool ViewUi::Korean() const {
    return m_view.m_language == 1042;
}

bool ViewUi::Muted() const {
    return m_view.m_layout->panel && m_view.m_layout->panel->GetMuteSwitch()->IsMuted();
}

void ViewUi::MessageBox(const std::u16string& text, const std::u16string& title) {
    OnUi([this, text, title] { QMessageBox::critical(&m_view, Text(title), Text(text)); });
}

bool ViewUi::MessageBox(const UiText& text, const UiText& caption, Box box) {
    if (box == Box::Question)
        return QMessageBox::question(&m_view, Translated(caption), Translated(text)) ==
               QMessageBox::Yes;
    QMessageBox::critical(&m_view, Translated(caption), Translated(text));
    return true;
}

void ViewUi::ShowTitle(const FileInfo& entry) {
    OnUi([this, entry] { m_view.m_layout->lcd->SetTrackInfo(entry); });
}

void ViewUi::ShowTitle(const std::u16string& text) {
    OnUi([this, text] { m_view.m_layout->lcd->SetText(Text(text)); });
}

void ViewUi::ShowStatus(const std::u16string& text, int durationMs) {
    OnUi([this, text, durationMs] { m_view.m_layout->lcd->ShowStatus(Text(text), durationMs); });
}

void ViewUi::SetPanelTime(int seconds) {
    OnUi([this, seconds] {
        m_elapsedSeconds = seconds;
        m_view.m_layout->panel->SetTime(m_totalSeconds, m_elapsedSeconds);
    });
}

void ViewUi::SetPanelTotal(int seconds) {
    OnUi([this, seconds] {
        m_totalSeconds = seconds;
        m_view.m_layout->panel->SetTime(m_totalSeconds, m_elapsedSeconds);
    });
}

void ViewUi::SetPanelFormat(const std::u16string& rate, const std::u16string& bitrate) {
    OnUi([this, rate, bitrate] { m_view.m_layout->panel->SetQuality(Text(rate), Text(bitrate)); });
}

void ViewUi::SetTrackNumber(int number) {
    OnUi([this, number] { m_view.m_layout->panel->SetTrackNumber(number); });
}

void ViewUi::SetPanelState(PanelState state) {
    OnUi([this, state] {
        DisplayPanel* panel = m_view.m_layout->panel;
        switch (state) {
        case PanelState::Play:
            panel->SetPlayState(kPanelPlay);
            panel->SetPlaying(true);
            break;
        case PanelState::Pause:
            panel->SetPlayState(kPanelPause);
            panel->SetPaused(true);
            break;
        case PanelState::Stop:
            panel->SetPlayState(kPanelStop);
            panel->SetStopped(true);
            break;
        }
    });
}

void ViewUi::ShowSeekSlider(bool show) {
    OnUi([this, show] {
        m_view.m_layout->seek->setVisible(show);
        m_view.m_layout->seek->setEnabled(show);
    });
}

void ViewUi::SetSeekRange(int maximum) {
    OnUi([this, maximum] { m_view.m_layout->seek->SetRange(0, maximum, 10); });
}

void ViewUi::SetSeekPos(int position) {
    OnUi([this, position] {
        if (!m_view.m_layout->seek->IsDragging())
            m_view.m_layout->seek->SetPos(position);
    });
}

QWidget* ViewUi::ButtonWidget(Button button) const {
    static constexpr Command kCommands[] = {Command::Play, Command::Pause, Command::Stop,
                                            Command::Previous, Command::Next};
    auto found = m_view.m_layout->buttons.find(CommandId(kCommands[static_cast<int>(button)]));
    return found == m_view.m_layout->buttons.end() ? nullptr : found->second;
}

void ViewUi::ShowButton(Button button, bool show) {
    OnUi([this, button, show] {
        if (QWidget* widget = ButtonWidget(button)) {
            widget->setVisible(show);
            widget->setEnabled(true);
        }
    });
}

void ViewUi::FocusButton(Button button) {
    OnUi([this, button] {
        if (QWidget* widget = ButtonWidget(button))
            widget->setFocus();
    });
}

void ViewUi::SetSpectrum(Spectrum) {
    // The spectrum window is not part of the view yet; the display panel's meter runs alone.
}

// Called with the controller's track lock held, so its lyrics can be read here. The lyrics
// window is not part of the view yet; lines go to the LCD (ShowLyric).
void ViewUi::LyricsLoaded() {
    m_view.m_syncedLyrics = !m_view.m_controller->Lyrics().times.empty();
}

// The current lyrics line, on the LCD for now.
void ViewUi::ShowLyric(const LyricsData::Lookup& line) {
    if (line.key < 0 || line.first.empty())
        return;
    OnUi([this, text = line.first] { m_view.m_layout->lcd->ShowStatus(Text(text), 3000); });
}

void ViewUi::ShowBubble(const std::u16string& title, const std::u16string& html, int seconds) {
    OnUi([title, html, seconds] {
        if (auto* frame = MainFrame::Instance())
            frame->Bubble().Show(Text(html), Text(title), seconds);
    });
}

void ViewUi::RemoveBubble() {
    OnUi([] {
        if (auto* frame = MainFrame::Instance())
            frame->Bubble().Remove();
    });
}

void ViewUi::BeginWait() {
    if (QThread::currentThread() != m_view.thread())
        return;
    if (m_waits++ == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void ViewUi::EndWait() {
    if (QThread::currentThread() != m_view.thread() || m_waits == 0)
        return;
    if (--m_waits == 0)
        QApplication::restoreOverrideCursor();
}

void ViewUi::PostToView(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PostWindowMessage(&m_view, message, wParam, lParam);
}

void ViewUi::CurrentEntryChanged(const FileInfo&) {
    // The playlist dialog is not part of the player yet.
}

void ViewUi::SpeedApplied(double) {
    // The speed dialog is not part of the player yet.
}

void ViewUi::HoldBacklight(bool) {
    // Keeping the display lit comes with the power management.
}

void ViewUi::SetWaveOutVolume(uint32_t volume) {
    OnUi([this, volume] { m_view.SetWaveOutVolume(volume); });
}

int ViewUi::RepeatPopup(int repeatType) {
    QMenu menu(&m_view);
    const std::pair<Command, PlaybackText> kItems[] = {
        {Command::RepeatNone, PlaybackText::RepeatNone},
        {Command::RepeatOne, PlaybackText::RepeatOne},
        {Command::RepeatAll, PlaybackText::RepeatAll}};
    for (const auto& [command, text] : kItems) {
        const int id = CommandId(command);
        QAction* action = menu.addAction(Text(PlaybackTexts::Text(text, Korean())));
        action->setData(id);
        action->setCheckable(true);
        action->setChecked(id - CommandId(Command::RepeatNone) == repeatType);
    }
    QWidget* button = m_view.m_layout->buttons[CommandId(Command::Repeat)];
    QAction* chosen = menu.exec(button->mapToGlobal(QPoint(0, 0)));
    return chosen ? chosen->data().toInt() : 0;
}

bool ViewUi::OpenCurrent() {
    return m_view.m_controller->OpenCurrent(true);
}

void ViewUi::Seek(int32_t ms) {
    m_view.m_controller->SeekTo(ms);
}

void ViewUi::Play() {
    m_view.m_controller->SetUserWantsPlay(true);
    m_view.m_controller->Play();
}

bool ViewUi::IsPlaying() {
    return m_view.m_controller->IsPlaying();
}

void ViewUi::Stop() {
    m_view.m_controller->Stop();
}

bool ViewUi::StepTrack(int step) {
    return m_view.m_controller->StepTrack(step, true);
}

uint32_t ViewUi::NowMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void ViewUi::StartTimer(uint32_t id, uint32_t intervalMs) {
    StopTimer(id);
    m_timers[startTimer(static_cast<int>(intervalMs))] = id;
}

void ViewUi::StopTimer(uint32_t id) {
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->second == id) {
            killTimer(it->first);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

void ViewUi::timerEvent(QTimerEvent* event) {
    auto found = m_timers.find(event->timerId());
    if (found == m_timers.end())
        return;
    uint32_t id = found->second;
    if (m_view.m_dispatcher)
        m_view.m_dispatcher->Timer(id);
}

void ViewUi::RunFunction(uint32_t functionCode) {
    m_view.RunKeyFunction(functionCode);
}
