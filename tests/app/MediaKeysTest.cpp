#include "app/MediaKeys.h"
#include "ui/WindowMessage.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Records the key messages it receives.
class KeyRecorder : public QObject {
public:
    struct Key {
        uint32_t message;
        uintptr_t key;
        intptr_t flags;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> keys;

protected:
    bool event(QEvent* event) override {
        if (const WindowMessageEvent* message = WindowMessageEvent::From(event)) {
            keys.push_back({message->message, message->wParam, message->lParam});
            return true;
        }
        return QObject::event(event);
    }
};

constexpr intptr_t kUp = static_cast<intptr_t>(0x80000000u);

TEST(MediaKeysTest, TapAt165x483IsNextTrackDownThenUp) {
    KeyRecorder view;
    MediaKeys keys;
    keys.SetTarget(&view);
    keys.OnTap(165, 483, true);
    keys.OnTap(165, 483, false);
    QCoreApplication::sendPostedEvents();
    const std::vector<KeyRecorder::Key> expected = {{WM_KEYDOWN, 176, 0}, {WM_KEYUP, 176, kUp}};
    EXPECT_EQ(view.keys, expected);
}

TEST(MediaKeysTest, EveryTapPositionNamesItsButton) {
    for (auto [x, y] : {std::pair{216, 100}, {87, 246}, {165, 483}})
        EXPECT_EQ(MediaKeys::KeyAt(x, y), 176u) << x << "," << y;
    for (auto [x, y] : {std::pair{232, 100}, {112, 246}, {315, 483}})
        EXPECT_EQ(MediaKeys::KeyAt(x, y), 177u) << x << "," << y;
    for (auto [x, y] : {std::pair{248, 100}, {264, 100}, {20, 246}, {240, 483}})
        EXPECT_EQ(MediaKeys::KeyAt(x, y), 179u) << x << "," << y;
    // Elsewhere the x value is the key; a neighbour of a button is not the button.
    EXPECT_EQ(MediaKeys::KeyAt(166, 483), 166u);
    EXPECT_EQ(MediaKeys::KeyAt(216, 101), 216u);
}

TEST(MediaKeysTest, RequestsBecomeKeyPresses) {
    KeyRecorder view;
    MediaKeys keys;
    keys.SetTarget(&view);
    keys.PlayPause();
    keys.Next();
    keys.Previous();
    QCoreApplication::sendPostedEvents();
    const std::vector<KeyRecorder::Key> expected = {{WM_KEYDOWN, 179, 0}, {WM_KEYUP, 179, kUp},
                                                    {WM_KEYDOWN, 176, 0}, {WM_KEYUP, 176, kUp},
                                                    {WM_KEYDOWN, 177, 0}, {WM_KEYUP, 177, kUp}};
    EXPECT_EQ(view.keys, expected);
}

TEST(MediaKeysTest, KeysPassOnUnchangedAndNothingGoesWithoutTarget) {
    KeyRecorder view;
    MediaKeys keys;
    keys.ForwardKey(WM_KEYDOWN, 13, 0);
    keys.OnTap(165, 483, true);
    keys.PlayPause();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(view.keys.empty());

    keys.SetTarget(&view);
    keys.ForwardKey(WM_KEYUP, 0x26, 0x1234);
    EXPECT_EQ(view.keys, (std::vector<KeyRecorder::Key>{{WM_KEYUP, 0x26, 0x1234}}));

    // A target that went away is dropped.
    {
        KeyRecorder gone;
        keys.SetTarget(&gone);
    }
    EXPECT_EQ(keys.Target(), nullptr);
    keys.Next();
    QCoreApplication::sendPostedEvents();
}

TEST(MediaKeysTest, TwoModelsHaveNoMediaKeyObject) {
    EXPECT_TRUE(MediaKeys::IsWantedOn(""));
    EXPECT_TRUE(MediaKeys::IsWantedOn("ThinkPad X1 Carbon"));
    EXPECT_FALSE(MediaKeys::IsWantedOn("Samsung SPH-M4300"));
    EXPECT_FALSE(MediaKeys::IsWantedOn("SCH-M420 rev 2"));
}

} // namespace
