#include "ui/WindowMessage.h"
#include "input/Command.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Records the window messages it is sent.
class Receiver : public QObject {
public:
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::vector<Message> got;

protected:
    bool event(QEvent* event) override {
        if (const auto* m = WindowMessageEvent::From(event)) {
            got.push_back({m->message, m->wParam, m->lParam});
            return true;
        }
        return QObject::event(event);
    }
};

TEST(WindowMessage, PostQueuesSendDeliversAtOnce) {
    Receiver receiver;
    ASSERT_TRUE(PostWindowMessage(&receiver, WM_COMMAND,
                                  MakeWParam(CommandId(Command::Play), BN_CLICKED), 0));
    EXPECT_TRUE(receiver.got.empty());
    ASSERT_TRUE(SendWindowMessage(&receiver, 0x401, 1110, 1027));
    ASSERT_EQ(receiver.got.size(), 1u);
    EXPECT_EQ(receiver.got[0].message, 0x401u);
    QCoreApplication::processEvents();
    ASSERT_EQ(receiver.got.size(), 2u);
    EXPECT_EQ(receiver.got[1].message, WM_COMMAND);
    EXPECT_EQ(LowWord(receiver.got[1].wParam), CommandId(Command::Play));
    EXPECT_EQ(HighWord(receiver.got[1].wParam), BN_CLICKED);
    EXPECT_FALSE(PostWindowMessage(nullptr, WM_COMMAND, 0, 0));
}

TEST(WindowMessage, SinkPostsFromOtherThreadsAndStopsWhenTheWindowIsGone) {
    auto* receiver = new Receiver;
    WindowMessageSink sink(receiver);
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i)
            EXPECT_TRUE(sink.Post(0x2B11, i, -i));
    });
    poster.join();
    QCoreApplication::processEvents();
    ASSERT_EQ(receiver->got.size(), 100u);
    EXPECT_EQ(receiver->got[99].wParam, 99u);
    EXPECT_EQ(receiver->got[99].lParam, -99);
    delete receiver;
    EXPECT_FALSE(sink.Post(0x2B11, 0, 0));
}

} // namespace
