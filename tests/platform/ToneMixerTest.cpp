#include "platform/ToneMixer.h"

#include <gtest/gtest.h>

// A card that is not there has no tone controls and sets nothing (the effects sheet then shows
// no mixer page).
TEST(ToneMixerTest, AMissingCardHasNoControls) {
    ToneMixer mixer("hw:97");
    EXPECT_TRUE(mixer.Controls().empty());
    EXPECT_FALSE(mixer.Set("Bass", 3));
}
