#include "input/KeyDispatcher.h"

#include "input/KeyFunctions.h"
#include "input/KeyMap.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A clock the test moves and a timer that fires only when the test says so.
class FakeHost : public KeyDispatcher::Host {
public:
    uint32_t now = 100000;
    bool timerOn = false;
    int timerStarts = 0;
    std::vector<uint32_t> ran;

    uint32_t NowMs() override { return now; }
    void StartTimer(uint32_t id, uint32_t intervalMs) override {
        EXPECT_EQ(id, 600u);
        EXPECT_EQ(intervalMs, 400u);
        timerOn = true;
        ++timerStarts;
    }
    void StopTimer(uint32_t id) override {
        EXPECT_EQ(id, 600u);
        timerOn = false;
    }
    void RunFunction(uint32_t functionCode) override { ran.push_back(functionCode); }
};

class KeyDispatcherTest : public ::testing::Test {
protected:
    KeyMap map;
    FakeHost host;
    KeyDispatcher dispatcher{map, host};

    void SetUp() override {
        map.Set(13, false, KeyFunctions::kPlay); // single and double
        map.Set(13, true, KeyFunctions::kShuffle);
        map.Set(38, false, KeyFunctions::kVolumeUp); // single only
        map.Set(196, true, KeyFunctions::kDisplay);  // double only
    }
    // Lets the timer fire if it runs.
    void Fire() {
        if (host.timerOn)
            dispatcher.Timer(600);
    }
};

TEST_F(KeyDispatcherTest, KeyWithoutDoubleMappingRunsAtOnce) {
    dispatcher.KeyDown(38);
    EXPECT_EQ(host.ran, std::vector<uint32_t>{KeyFunctions::kVolumeUp});
    EXPECT_FALSE(host.timerOn);

    // A quick second press has no double mapping and runs the single function again.
    host.now += 150;
    dispatcher.KeyDown(38);
    EXPECT_EQ(host.ran, (std::vector<uint32_t>{KeyFunctions::kVolumeUp, KeyFunctions::kVolumeUp}));
    EXPECT_EQ(host.timerStarts, 0);
}

TEST_F(KeyDispatcherTest, SinglePressOfDoubleMappedKeyWaitsForTheTimer) {
    dispatcher.KeyDown(13);
    EXPECT_TRUE(host.ran.empty());
    EXPECT_TRUE(host.timerOn);
    EXPECT_EQ(dispatcher.Pending(), KeyFunctions::kPlay);

    host.now += 400;
    Fire();
    EXPECT_EQ(host.ran, std::vector<uint32_t>{KeyFunctions::kPlay});
    EXPECT_FALSE(host.timerOn);
    EXPECT_FALSE(dispatcher.TimerRunning());

    // A press long after is a single press again.
    host.now += 1000;
    dispatcher.KeyDown(13);
    Fire();
    EXPECT_EQ(host.ran, (std::vector<uint32_t>{KeyFunctions::kPlay, KeyFunctions::kPlay}));
}

TEST_F(KeyDispatcherTest, DoublePressRunsOnlyTheDoubleFunction) {
    dispatcher.KeyDown(13);
    host.now += 399;
    dispatcher.KeyDown(13);
    EXPECT_TRUE(host.ran.empty());
    EXPECT_EQ(host.timerStarts, 1); // the running timer is not started again
    Fire();
    EXPECT_EQ(host.ran, std::vector<uint32_t>{KeyFunctions::kShuffle});

    // 400 ms apart is no longer a double press.
    host.now += 5000;
    host.ran.clear();
    dispatcher.KeyDown(13);
    host.now += 400;
    Fire();
    dispatcher.KeyDown(13);
    Fire();
    EXPECT_EQ(host.ran, (std::vector<uint32_t>{KeyFunctions::kPlay, KeyFunctions::kPlay}));
}

TEST_F(KeyDispatcherTest, HotKeyCarriesTheKeyInTheHighWord) {
    dispatcher.HotKey(38u << 16 | 8u);
    EXPECT_EQ(host.ran, std::vector<uint32_t>{KeyFunctions::kVolumeUp});
}

TEST_F(KeyDispatcherTest, IgnoredAndUnmappedKeysDoNothing) {
    map.Set(124, false, KeyFunctions::kPlay);
    map.Set(135, false, KeyFunctions::kPlay);
    map.Set(136, false, KeyFunctions::kStop);
    dispatcher.KeyDown(124);
    dispatcher.KeyDown(135);
    dispatcher.KeyDown(40);
    EXPECT_TRUE(host.ran.empty());
    dispatcher.KeyDown(136);
    EXPECT_EQ(host.ran, std::vector<uint32_t>{KeyFunctions::kStop});
    EXPECT_FALSE(dispatcher.Timer(601));
}

TEST_F(KeyDispatcherTest, DoubleOnlyKeyRunsOnItsDoublePress) {
    dispatcher.KeyDown(196);
    EXPECT_FALSE(host.timerOn);
    host.now += 200;
    dispatcher.KeyDown(196);
    EXPECT_TRUE(host.ran.empty());
    Fire();
    EXPECT_EQ(host.ran, std::vector<uint32_t>{KeyFunctions::kDisplay});
}

TEST_F(KeyDispatcherTest, OtherKeysDoNotSwallowAWaitingPress) {
    map.Set(40, false, KeyFunctions::kVolumeDown);
    map.Set(40, true, KeyFunctions::kMute);
    dispatcher.KeyDown(13);
    host.now += 100;
    dispatcher.KeyDown(38); // runs at once, the Play still waits
    EXPECT_EQ(host.ran, std::vector<uint32_t>{KeyFunctions::kVolumeUp});
    host.now += 100;
    dispatcher.KeyDown(40); // another waiting key: the Play runs now
    EXPECT_EQ(host.ran, (std::vector<uint32_t>{KeyFunctions::kVolumeUp, KeyFunctions::kPlay}));
    EXPECT_TRUE(host.timerOn);
    Fire();
    EXPECT_EQ(host.ran.back(), KeyFunctions::kVolumeDown);
    EXPECT_EQ(host.ran.size(), 3u);
}

TEST_F(KeyDispatcherTest, TickCountWrapStillMeasuresTheGap) {
    host.now = 0xFFFFFF00u;
    dispatcher.KeyDown(13);
    host.now = 0x00000010u; // 272 ms later, across the wrap
    dispatcher.KeyDown(13);
    Fire();
    EXPECT_EQ(host.ran, std::vector<uint32_t>{KeyFunctions::kShuffle});
}

} // namespace
