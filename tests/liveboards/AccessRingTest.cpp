// The ring of port accesses as a recorder reads it: in order, and what it could not read
// counted as lost, never dropped silently.
#include "sim/boards/SharedBoards.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lumosim;

namespace {

struct Ring : ::testing::Test {
    std::unique_ptr<AccessRing> ring{new AccessRing()};
    AccessReader reader;
    std::vector<BoardsAccess> taken;

    void Note(uint32_t times) {
        for (uint32_t i = 0; i < times; ++i)
            NoteAccess(*ring, 1, 2, DIR_OUT, i, 1);
    }
};

TEST_F(Ring, ARecorderTakesWhatItCanAndCountsTheRest) {
    Note(5);
    EXPECT_EQ(ring->count, 0u) << "noted with nobody listening";
    // A recorder listed by a process that has ended does not take a place.
    for (uint32_t& recorder : ring->recorders)
        recorder = 0xFFFFFFF0u;
    ASSERT_TRUE(StartRecording(*ring, reader));
    EXPECT_EQ(ring->recording, 1u);

    const struct {
        const char* what;
        uint32_t noted;
        void (*damage)(AccessRing&, AccessReader&);
        size_t taken;
        uint32_t lost;
    } steps[] = {
        {"in step", 10, nullptr, 10, 0},
        {"fallen a round and 7 behind", ACCESS_SLOTS + 7, nullptr, ACCESS_SLOTS, 7},
        {"a writer at work: waited for", 3,
         [](AccessRing& r, AccessReader&) { r.accesses[(r.count - 3) % ACCESS_SLOTS].number = 0; },
         0, 0},
        {"... for a second: lost, the rest taken", 0,
         [](AccessRing&, AccessReader& a) { a.waitedFrom = (GetTickCount() - 2000) | 1; }, 2, 1},
        {"a slot out of range written by another process", 2,
         [](AccessRing& r, AccessReader&) { r.accesses[(r.count - 1) % ACCESS_SLOTS].slot = 99; },
         1, 1},
    };
    uint32_t lost = 0;
    for (const auto& step : steps) {
        Note(step.noted);
        if (step.damage)
            step.damage(*ring, reader);
        taken.clear();
        TakeAccesses(*ring, reader, taken);
        EXPECT_EQ(taken.size(), step.taken) << step.what;
        EXPECT_EQ(reader.lost - lost, step.lost) << step.what;
        lost = reader.lost;
        for (size_t i = 1; i < taken.size(); ++i) {
            ASSERT_EQ(taken[i].number, taken[i - 1].number + 1) << step.what;
        }
        for (const BoardsAccess& access : taken)
            EXPECT_TRUE(access.slot == 1 && access.port == 2 && access.direction == DIR_OUT &&
                        access.result == 1 && access.time)
                << step.what;
    }
    EXPECT_EQ(reader.next, ring->count);
    StopRecording(*ring);
    EXPECT_EQ(ring->recording, 0u);
    Note(1);
    EXPECT_EQ(reader.next, ring->count);
}

} // namespace
