#include "app/MediaKeys.h"

#include "ui/KeyCapture.h"
#include "ui/WindowMessage.h"

#include <QString>

namespace {

struct TapButton {
    int x;
    int y;
    uint32_t key;
};

constexpr TapButton kTapButtons[] = {
    {216, 100, MediaKeys::kNextTrack},     {87, 246, MediaKeys::kNextTrack},
    {165, 483, MediaKeys::kNextTrack},     {232, 100, MediaKeys::kPreviousTrack},
    {112, 246, MediaKeys::kPreviousTrack}, {315, 483, MediaKeys::kPreviousTrack},
    {248, 100, MediaKeys::kPlayPause},     {264, 100, MediaKeys::kPlayPause},
    {20, 246, MediaKeys::kPlayPause},      {240, 483, MediaKeys::kPlayPause},
};

constexpr intptr_t kKeyUpFlags = static_cast<intptr_t>(0x80000000u);

} // namespace

MediaKeys::MediaKeys(QObject* parent) : QObject(parent) {}

void MediaKeys::SetTarget(QObject* target) {
    m_target = target;
}

uint32_t MediaKeys::KeyAt(int x, int y) {
    for (const TapButton& button : kTapButtons) {
        if (button.x == x && button.y == y)
            return button.key;
    }
    return static_cast<uint32_t>(x);
}

void MediaKeys::OnTap(int x, int y, bool down) {
    const uint32_t key = KeyAt(x, y);
    if (down)
        PostWindowMessage(Receiver(), WM_KEYDOWN, key, 0);
    else
        PostWindowMessage(Receiver(), WM_KEYUP, key, kKeyUpFlags);
}

void MediaKeys::ForwardKey(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    SendWindowMessage(Receiver(), message, wParam, lParam);
}

void MediaKeys::PlayPause() {
    Press(kPlayPause);
}

void MediaKeys::Next() {
    Press(kNextTrack);
}

void MediaKeys::Previous() {
    Press(kPreviousTrack);
}

bool MediaKeys::IsWantedOn(const QString& oemText) {
    return !oemText.contains(QLatin1String("SPH-M4300")) &&
           !oemText.contains(QLatin1String("SCH-M420"));
}

void MediaKeys::Press(uint32_t key) {
    PostWindowMessage(Receiver(), WM_KEYDOWN, key, 0);
    PostWindowMessage(Receiver(), WM_KEYUP, key, kKeyUpFlags);
}

QObject* MediaKeys::Receiver() const {
    if (QObject* capture = KeyCapture::Window())
        return capture;
    return m_target.data();
}
