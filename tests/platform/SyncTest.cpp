#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Interlocked.h"
#include "platform/QueueMessageSink.h"
#include "platform/Thread.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

TEST(Event, AutoResetReleasesOneWaiterAtATime) {
    Event event(false, false);
    std::atomic<int> woken{0};
    Thread a, b;
    a.Start([&] { woken += event.Wait(2000); });
    b.Start([&] { woken += event.Wait(2000); });
    Thread::Sleep(50);
    event.Set();
    Thread::Sleep(100);
    EXPECT_EQ(woken.load(), 1);
    EXPECT_FALSE(event.IsSignalled());
    event.Set();
    a.Wait();
    b.Wait();
    EXPECT_EQ(woken.load(), 2);
}

TEST(Event, ManualResetStaysSignalledUntilReset) {
    Event event(true, false);
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    const auto start = Clock::now();
    EXPECT_FALSE(event.Wait(60));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(55));
}

TEST(CriticalSection, ReentersAndCountsEntries) {
    CriticalSection cs;
    EXPECT_EQ(cs.EntryCount(), 0);
    cs.Enter();
    {
        CriticalSection::Lock again(cs);
        EXPECT_EQ(cs.EntryCount(), 2);
        EXPECT_TRUE(cs.IsOwnedByCurrentThread());
    }
    EXPECT_EQ(cs.EntryCount(), 1);
    bool otherGotIn = true;
    Thread other;
    other.Start([&] { otherGotIn = cs.TryEnter(); });
    other.Wait();
    EXPECT_FALSE(otherGotIn);
    cs.Leave();
    EXPECT_EQ(cs.EntryCount(), 0);
    EXPECT_FALSE(cs.IsOwnedByCurrentThread());
    other.Start([&] {
        otherGotIn = cs.TryEnter();
        if (otherGotIn)
            cs.Leave();
    });
    other.Wait();
    EXPECT_TRUE(otherGotIn);
}

TEST(Interlocked, CountersStayExactUnderContention) {
    int32_t counter = 0;
    std::vector<std::unique_ptr<Thread>> threads;
    for (int t = 0; t < 4; ++t) {
        threads.push_back(std::make_unique<Thread>());
        threads.back()->Start([&] {
            for (int i = 0; i < 10000; ++i) {
                Interlocked::Increment(counter);
                Interlocked::ExchangeAdd(counter, 2);
                Interlocked::Decrement(counter);
            }
        });
    }
    for (auto& t : threads)
        t->Wait();
    EXPECT_EQ(counter, 4 * 10000 * 2);
    EXPECT_EQ(Interlocked::CompareExchange(counter, 5, 1), 80000); // no match: unchanged
    EXPECT_EQ(Interlocked::CompareExchange(counter, 5, 80000), 80000);
    EXPECT_EQ(Interlocked::Exchange(counter, 9), 5);
    EXPECT_EQ(Interlocked::Read(counter), 9);
}

TEST(Thread, WaitTimesOutWhileRunningAndTheThreadCanBeRestarted) {
    Event release(true, false);
    Thread thread;
    int runs = 0;
    ASSERT_TRUE(thread.Start([&] {
        release.Wait();
        ++runs;
    }));
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_FALSE(thread.Start([] {}));
    EXPECT_FALSE(thread.Wait(30));
    release.Set();
    EXPECT_TRUE(thread.Wait(2000));
    EXPECT_FALSE(thread.IsRunning());
    ASSERT_TRUE(thread.Start([&] { ++runs; }, Thread::kPriorityIdle));
    EXPECT_TRUE(thread.Wait(2000));
    EXPECT_EQ(runs, 2);
}

TEST(Thread, PrioritiesAreBestEffortAndRemembered) {
    int seen = -1;
    Thread thread;
    thread.Start(
        [&] {
            Thread::SetCurrentCePriority(255);
            seen = Thread::CurrentPriority();
            Thread::SetCurrentPriority(Thread::kPriorityNormal);
        },
        Thread::kPriorityBelowNormal);
    thread.Wait();
    EXPECT_EQ(seen, Thread::kPriorityIdle);
}

TEST(QueueMessageSink, DeliversPostsFromOtherThreadsInOrder) {
    QueueMessageSink sink;
    Thread poster;
    poster.Start([&] {
        for (uint32_t i = 0; i < 100; ++i)
            sink.Post(0x2B11, i, -static_cast<intptr_t>(i));
        sink.Post(0x5221, 7, 8);
    });
    for (uint32_t i = 0; i < 100; ++i) {
        const auto m = sink.Take(2000);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->message, 0x2B11u);
        EXPECT_EQ(m->wParam, i);
        EXPECT_EQ(m->lParam, -static_cast<intptr_t>(i));
    }
    const auto title = sink.TakeMessage(0x5221, 2000);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->wParam, 7u);
    poster.Wait();
    EXPECT_FALSE(sink.Take(10));
    EXPECT_FALSE(sink.TakeMessage(0x5221, 10));
}

} // namespace
