#include "input/Command.h"
#include "input/KeyFunctions.h"

#include <gtest/gtest.h>

#include <set>

namespace {

Command At(int index) {
    return static_cast<Command>(index);
}

TEST(CommandTest, EveryCommandHasItsOwnIdAndComesBackFromIt) {
    std::set<int> ids;
    for (int i = 0; i < kCommandCount; ++i) {
        const int id = CommandId(At(i));
        EXPECT_NE(id, 0) << i;
        EXPECT_TRUE(ids.insert(id).second) << "id " << id << " is taken twice";
        EXPECT_EQ(CommandFromId(id), At(i)) << id;
    }
}

TEST(CommandTest, IdsNoCommandHasAreNone) {
    EXPECT_EQ(CommandFromId(0), std::nullopt);
    EXPECT_EQ(CommandFromId(65036), std::nullopt);
    EXPECT_EQ(CommandFromId(-1), std::nullopt);
}

// The ids are sent in command messages and the key map stores the key functions' codes.
TEST(CommandTest, IdsAreTheStoredNumbers) {
    EXPECT_EQ(CommandId(Command::Play), 32773);
    EXPECT_EQ(CommandId(Command::OpenFiles), 32772);
    EXPECT_EQ(CommandId(Command::Exit), 57665);
    EXPECT_EQ(CommandId(Command::MediaPlayPause), 40027);
    EXPECT_EQ(CommandId(Command::RepeatNone), 1053);
    EXPECT_EQ(CommandId(Command::KeyPlayPause), 65014);
}

TEST(CommandTest, KeyFunctionsAreTheKeyMapsCodesInOrder) {
    for (int index = 0; index < KeyFunctions::kCount; ++index) {
        const int code = static_cast<int>(KeyFunctions::CodeOf(index));
        const std::optional<Command> command = CommandFromId(code);
        ASSERT_TRUE(command) << code;
        EXPECT_TRUE(IsKeyFunction(*command)) << code;
        EXPECT_EQ(*command, static_cast<Command>(static_cast<int>(Command::KeyPlay) + index));
    }
    EXPECT_FALSE(IsKeyFunction(Command::Play));
    EXPECT_FALSE(IsKeyFunction(Command::MediaPlayPause));
}

} // namespace
