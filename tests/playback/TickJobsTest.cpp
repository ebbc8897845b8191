#include "playback/TickJobs.h"

#include <gtest/gtest.h>

namespace {

// The ticks at which `job` fires within the first `ticks` ticks.
std::vector<int> Firings(CTickJobs& jobs, const CTickJobs::State& state, uint32_t job, int ticks) {
    std::vector<int> at;
    for (int tick = 1; tick <= ticks; ++tick)
        if (jobs.Tick(state) & job)
            at.push_back(tick);
    return at;
}

TEST(TickJobsTest, MonitorPaceFollowsDisplayLyricsAndSpeed) {
    CTickJobs::State state;
    state.playing = true;
    CTickJobs jobs;
    EXPECT_EQ(Firings(jobs, state, CTickJobs::Monitor, 40), (std::vector<int>{16, 32}));

    state.speed = 0.8;
    EXPECT_EQ(CTickJobs::MonitorTicks(state), 21);
    state.syncedLyrics = true;
    EXPECT_EQ(CTickJobs::MonitorTicks(state), 16);
    state.active = false;
    EXPECT_EQ(CTickJobs::MonitorTicks(state), 26);
    state.lyricsListOpen = true;
    EXPECT_EQ(CTickJobs::MonitorTicks(state), 21);
    state.displayOn = false;
    EXPECT_EQ(CTickJobs::MonitorTicks(state), 26);
}

TEST(TickJobsTest, JobsCountOnlyWhileTheirConditionHolds) {
    CTickJobs::State state;
    state.paused = true;
    state.seeking = true;
    CTickJobs jobs;
    uint32_t seen = 0;
    for (int tick = 0; tick < 1801; ++tick)
        seen |= jobs.Tick(state);
    EXPECT_EQ(seen, uint32_t{CTickJobs::KeepAwake}); // no monitor, no display check while seeking

    state.seeking = false;
    EXPECT_EQ(Firings(jobs, state, CTickJobs::DisplayCheck, 320), (std::vector<int>{151, 302}));
    state.suspended = true;
    state.playing = true;
    EXPECT_EQ(Firings(jobs, state, 0xFFFFFFFFu, 4000), std::vector<int>{});
    state.suspended = false;
    EXPECT_EQ(Firings(jobs, state, CTickJobs::PowerCheck, 3001), std::vector<int>{3001});
}

} // namespace
