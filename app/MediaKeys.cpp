#include "app/MediaKeys.h"

#include "ui/WindowMessage.h"

#include <QString>

namespace {

struct TapButton {
    int x;
    int y;
    uint32_t key;
};

constexpr TapButton kTapButtons[] = {
    {216, 100, CMediaKeys::kNextTrack},     {87, 246, CMediaKeys::kNextTrack},
    {165, 483, CMediaKeys::kNextTrack},     {232, 100, CMediaKeys::kPreviousTrack},
    {112, 246, CMediaKeys::kPreviousTrack}, {315, 483, CMediaKeys::kPreviousTrack},
    {248, 100, CMediaKeys::kPlayPause},     {264, 100, CMediaKeys::kPlayPause},
    {20, 246, CMediaKeys::kPlayPause},      {240, 483, CMediaKeys::kPlayPause},
};

constexpr intptr_t kKeyUpFlags = static_cast<intptr_t>(0x80000000u);

} // namespace

CMediaKeys::CMediaKeys(QObject* parent) : QObject(parent) {}

void CMediaKeys::SetTarget(QObject* target) {
    m_target = target;
}

uint32_t CMediaKeys::KeyAt(int x, int y) {
    for (const TapButton& button : kTapButtons) {
        if (button.x == x && button.y == y)
            return button.key;
    }
    return static_cast<uint32_t>(x);
}

void CMediaKeys::OnTap(int x, int y, bool down) {
    const uint32_t key = KeyAt(x, y);
    if (down)
        PostWindowMessage(m_target.data(), WM_KEYDOWN, key, 0);
    else
        PostWindowMessage(m_target.data(), WM_KEYUP, key, kKeyUpFlags);
}

void CMediaKeys::ForwardKey(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    SendWindowMessage(m_target.data(), message, wParam, lParam);
}

void CMediaKeys::PlayPause() {
    Press(kPlayPause);
}

void CMediaKeys::Next() {
    Press(kNextTrack);
}

void CMediaKeys::Previous() {
    Press(kPreviousTrack);
}

bool CMediaKeys::IsWantedOn(const QString& oemText) {
    return !oemText.contains(QLatin1String("SPH-M4300")) &&
           !oemText.contains(QLatin1String("SCH-M420"));
}

void CMediaKeys::Press(uint32_t key) {
    PostWindowMessage(m_target.data(), WM_KEYDOWN, key, 0);
    PostWindowMessage(m_target.data(), WM_KEYUP, key, kKeyUpFlags);
}
