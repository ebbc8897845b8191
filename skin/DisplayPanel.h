#pragma once

#include "skin/SkinManager.h"
#include "skin/VuMeter.h"
#include "ui/WindowMessage.h"

#include <QBasicTimer>
#include <QRect>
#include <QString>
#include <QWidget>

class MuteSwitch;
class LevelSource;
class MuteVolume;
class Profile;

// The skinned instrument panel of the main view: large digits for the track number and the time,
// small digits for sample rate and bit rate, the audio quality, play state and hold indicators,
// the stereo VU meter and the mute switch.
class DisplayPanel : public QWidget {
public:
    // VU meter step, sent by the level meter worker.
    static constexpr uint32_t kLevelStepMessage = WM_USER + 11;
    static constexpr int kMuteSwitchId = 5100;
    static constexpr int kBlinkMilliseconds = 500;

    // Places of the panel's items, in panel coordinates.
    static constexpr QRect kTrackPlace{QPoint(12, 30), QPoint(105, 79)};
    static constexpr QRect kMinutesPlace{QPoint(108, 30), QPoint(163, 75)};
    static constexpr QRect kSecondsPlace{QPoint(176, 30), QPoint(229, 75)};
    static constexpr QRect kTimeArea{QPoint(104, 24), QPoint(235, 79)};
    static constexpr QRect kRatePlace{QPoint(266, 30), QPoint(289, 45)};
    static constexpr QRect kBitRatePlace{QPoint(254, 60), QPoint(289, 81)};
    static constexpr int kBitRateLeft4 = 242;
    static constexpr QRect kQualityPlace{QPoint(338, 32), QPoint(355, 41)};
    static constexpr QRect kPlayStatePlace{QPoint(242, 30), QPoint(253, 51)};
    static constexpr QRect kHoldPlace{QPoint(314, 10), QPoint(359, 23)};
    static constexpr QPoint kVuLeft{30, 91};
    static constexpr QPoint kVuRight{30, 133};
    static constexpr QRect kVuArea{QPoint(30, 91), QPoint(269, 150)};
    static constexpr QRect kMuteSwitchPlace{QPoint(280, 82), QPoint(359, 159)};

    // The minutes and seconds a time shows.
    struct ShownTime {
        int minutes = 0;
        int seconds = 0;
        bool blink = false; // 100 minutes or more: the minute digits blink
    };
    // Elapsed time (time mode 1) or remaining time (0) of a track; 0:00 for a total of 0 or one
    // smaller than the elapsed time.
    static ShownTime TimeOf(int totalSeconds, int elapsedSeconds, int timeMode);
    // The strip column of a digit cell: d + 1 for digit d, 0 (blank) for anything else.
    static int DigitColumn(QChar c);

    // `levels` and `volume` may be null (no VU levels, a mute switch that only shows).
    DisplayPanel(Profile& profile, LevelSource* levels, MuteVolume* volume,
                 QWidget* parent = nullptr);
    ~DisplayPanel() override;

    void SetTrackNumber(int number);
    // The sample-rate text must have 2 characters, the bit-rate text 3 or 4; else ignored.
    bool SetQuality(const QString& rate, const QString& bitRate);
    void SetTime(int totalSeconds, int elapsedSeconds);
    void SetPlayState(int state);
    void SetAudioQuality(int quality);
    void SetHold(int hold);
    void SetActive(bool on);
    void SetPlaying(bool on);
    void SetPaused(bool on);
    void SetStopped(bool on);
    void SetVUMeter(bool on);
    void LevelStep();
    // In stream mode the time always shows as elapsed.
    void SetStreamMode(bool on) { m_streamMode = on; }
    void SetClosing(bool closing);

    MuteSwitch* GetMuteSwitch() const { return m_mute; }
    const QString& TrackText() const { return m_track; }
    const QString& RateText() const { return m_rate; }
    const QString& BitRateText() const { return m_bitRate; }
    int Minutes() const { return m_time.minutes; }
    int Seconds() const { return m_time.seconds; }
    bool MinutesBlinking() const { return m_blinkTimer.isActive(); }
    // True in the blink phase that leaves the minutes out.
    bool MinutesHidden() const { return m_blinkHidden; }
    int TimeMode() const { return m_timeMode; }
    bool VUMeterOn() const { return m_vuOn; }
    bool IsActive() const { return m_active; }
    const VuMeter& Meter() const { return m_meter; }
    QRect BitRatePlace() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    bool MeterRunning() const { return m_playing && !m_paused && !m_stopped; }
    void ApplyTime();
    QRect VuChannelPlace(int channel) const;
    // Asks for drawing the parts of the meter that differ from `before`.
    void UpdateVu(const VuMeter& before);
    void DrawDigits(QPainter& painter, const SkinManager& strip, QPoint at,
                    const QString& text) const;
    void DrawRow(QPainter& painter, const SkinManager& image, QPoint at, int rows, int row) const;
    void DrawVuChannel(QPainter& painter, QPoint at, int shown, int peak) const;

    Profile& m_profile;
    LevelSource* m_levels;
    MuteSwitch* m_mute = nullptr;

    SkinManager m_background;
    SkinManager m_largeDigits;
    SkinManager m_smallDigits;
    SkinManager m_qualityImage;
    SkinManager m_playStateImage;
    SkinManager m_vuImage;
    SkinManager m_holdImage;

    bool m_active = true;
    QString m_track = QStringLiteral("1");
    QString m_rate = QStringLiteral("00");
    QString m_bitRate = QStringLiteral("000");
    int m_total = 0;
    int m_elapsed = 0;
    ShownTime m_time;
    int m_quality = 0;
    int m_playState = 0;
    int m_hold = 0;
    bool m_vuOn = true;
    int m_timeMode = 1;
    bool m_streamMode = false;
    bool m_playing = false;
    bool m_paused = false;
    bool m_stopped = false;
    QBasicTimer m_blinkTimer;
    bool m_blinkHidden = false;
    VuMeter m_meter;
};
