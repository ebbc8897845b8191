#include "playback/TickJobs.h"

#include <gtest/gtest.h>

namespace {

// The ticks at which `job` fires within the first `ticks` ticks.
std::vector<int> Firings(TickJobs& jobs, const TickJobs::State& state, uint32_t job, int ticks) {
    std::vector<int> at;
    for (int tick = 1; tick <= ticks; ++tick)
        if (jobs.Tick(state) & job)
            at.push_back(tick);
    return at;
}

TEST(TickJobsTest, MonitorPaceFollowsDisplayLyricsAndSpeed) {
    TickJobs::State state;
    state.playing = true;
    TickJobs jobs;
    EXPECT_EQ(Firings(jobs, state, TickJobs::Monitor, 40), (std::vector<int>{16, 32}));

    state.speed = 0.8;
    EXPECT_EQ(TickJobs::MonitorTicks(state), 21);
    state.syncedLyrics = true;
    EXPECT_EQ(TickJobs::MonitorTicks(state), 16);
    state.active = false;
    EXPECT_EQ(TickJobs::MonitorTicks(state), 26);
    state.lyricsListOpen = true;
    EXPECT_EQ(TickJobs::MonitorTicks(state), 21);
    state.displayOn = false;
    EXPECT_EQ(TickJobs::MonitorTicks(state), 26);
}

TEST(TickJobsTest, JobsCountOnlyWhileTheirConditionHolds) {
    TickJobs::State state;
    state.paused = true;
    state.seeking = true;
    TickJobs jobs;
    uint32_t seen = 0;
    for (int tick = 0; tick < 1801; ++tick)
        seen |= jobs.Tick(state);
    EXPECT_EQ(seen, uint32_t{TickJobs::KeepAwake}); // no monitor, no display check while seeking

    state.seeking = false;
    EXPECT_EQ(Firings(jobs, state, TickJobs::DisplayCheck, 320), (std::vector<int>{151, 302}));
    state.suspended = true;
    state.playing = true;
    EXPECT_EQ(Firings(jobs, state, 0xFFFFFFFFu, 4000), std::vector<int>{});
    state.suspended = false;
    EXPECT_EQ(Firings(jobs, state, TickJobs::PowerCheck, 3001), std::vector<int>{3001});
}

} // namespace
