#include "support/UiText.h"

#include <gtest/gtest.h>

TEST(UiTextTest, ArgumentsFillTheirPlacesInAnyOrderAndPercentSignsSurvive) {
    const UiText text = UI_TEXT("Test", "%2 of %1: 100%% (%3)").With(u"a.mp3").With(7);
    EXPECT_EQ(text.English(), u"7 of a.mp3: 100% (%3)");
    EXPECT_EQ(UiText::Fill(u"%1%", {u"x"}), u"x%");
    EXPECT_TRUE(UiText{}.Empty());
    EXPECT_EQ(UiText{}.English(), u"");
    EXPECT_EQ(text, UI_TEXT("Test", "%2 of %1: 100%% (%3)").With(u"a.mp3").With(u"7"));
}
