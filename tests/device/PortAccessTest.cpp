// AccessPort: one driver call under PortLock, from any number of threads.
#include "tests/device/DeviceTestSupport.h"

#include <atomic>
#include <set>
#include <thread>

namespace devicetest {
namespace {

class PortAccessTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_EQ(sim.Configure("board 0\nboard 1\nboard 2\nboard 3\n"
                                "input 0 * wire 0 *\ninput 1 * wire 1 *\n"
                                "input 2 * wire 2 *\ninput 3 * wire 3 *\n"),
                  1);
        ASSERT_EQ(OpenBoards(), 1);
        sim.ClearLog();
    }
};

// Whether another thread can take the lock now (the lock is re-entrant for its owner).
bool PortLockIsFree() {
    bool free = false;
    std::thread other([&free] {
        free = TryEnterCriticalSection(&PortLock) != 0;
        if (free)
            LeaveCriticalSection(&PortLock);
    });
    other.join();
    return free;
}

TEST_F(PortAccessTest, NonZeroDirectionReadsZeroWrites) {
    uint8_t byte = 0x5A;
    EXPECT_EQ(AccessPort(1, 2, PORT_WRITE, &byte), 1);
    EXPECT_EQ(sim.OutputByte(1, 2), 0x5A);
    byte = 0;
    EXPECT_EQ(AccessPort(1, 2, PORT_READ, &byte), 1);
    EXPECT_EQ(byte, 0x5A);
    byte = 0;
    EXPECT_EQ(AccessPort(1, 2, 0x8000, &byte), 1);
    EXPECT_EQ(byte, 0x5A);
    EXPECT_SEQUENCE(Log(),
                    CALLS({LUMO_SIM_OUT_PORT, 1, 2, 0x5A, 1}, {LUMO_SIM_IN_PORT, 1, 2, 0x5A, 1},
                          {LUMO_SIM_IN_PORT, 1, 2, 0x5A, 1}));
}

TEST_F(PortAccessTest, FailureComesBackAsZeroWithTheLockLeft) {
    ASSERT_EQ(sim.Apply("fault 3 1 out always code=42\nfault 3 0 in always code=43\n"), 1);
    uint8_t byte = 1;
    EXPECT_EQ(AccessPort(3, 1, PORT_WRITE, &byte), 0);
    EXPECT_TRUE(PortLockIsFree());
    EXPECT_EQ(DriverGetLastError(3), 42);
    EXPECT_EQ(AccessPort(3, 0, PORT_READ, &byte), 0);
    EXPECT_TRUE(PortLockIsFree());
    EXPECT_EQ(DriverGetLastError(3), 43);
    EXPECT_EQ(sim.OutputWrites(3, 1), 0);
}

TEST_F(PortAccessTest, AfterShutDownAnswersZeroWithoutTheLock) {
    CloseBoards();
    ASSERT_FALSE(IsPortLockCreated());
    sim.ClearLog();
    uint8_t byte = 0;
    EXPECT_EQ(AccessPort(0, 0, PORT_READ, &byte), 0);
    EXPECT_EQ(AccessPort(0, 0, PORT_WRITE, &byte), 0);
    EXPECT_EQ(sim.LogCount(), 0);
}

// A thread that finds the lock held waits, however long, and then makes its call.
TEST_F(PortAccessTest, AWaiterMakesItsCallOnceTheHolderLeaves) {
    EnterCriticalSection(&PortLock);
    std::atomic<int> result{-1};
    std::thread waiter([&result] {
        uint8_t byte = 0x77;
        result = AccessPort(2, 1, PORT_WRITE, &byte);
    });
    Sleep(200);
    EXPECT_EQ(result.load(), -1);
    EXPECT_EQ(sim.OutputWrites(2, 1), 0);
    LeaveCriticalSection(&PortLock);
    waiter.join();
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(sim.OutputByte(2, 1), 0x77);
}

// Each thread owns one board and writes, then reads back, every port many times.
void ExercisePorts(int slot, int rounds, bool throughLock, std::atomic<int>& failures) {
    const auto inPort = reinterpret_cast<Lumo31aInPortFn>(
        GetProcAddress(GetModuleHandleA(LUMO_DRIVER_FILE_NAME), "Lumo31aInPort"));
    for (int round = 0; round < rounds; ++round) {
        const int port = round % BOARD_PORTS;
        uint8_t written = static_cast<uint8_t>(round * 7 + slot), read = 0;
        if (!throughLock) {
            failures +=
                inPort(static_cast<uint32_t>(slot), static_cast<uint32_t>(port), &read) ? 0 : 1;
            continue;
        }
        if (!AccessPort(slot, port, PORT_WRITE, &written) ||
            !AccessPort(slot, port, PORT_READ, &read) || read != written)
            ++failures;
    }
}

TEST_F(PortAccessTest, ThreadsOnSeveralBoardsNeverOverlapInTheDriver) {
    const int threads = 4, rounds = 1500;
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int slot = 0; slot < threads; ++slot)
        workers.emplace_back(ExercisePorts, slot, rounds, true, std::ref(failures));
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(sim.OverlapCount(), 0);
    const std::vector<LumoSimCall> calls = Log();
    EXPECT_EQ(calls.size(), static_cast<size_t>(threads * rounds * 2));
    std::set<uint32_t> threadIds;
    for (const LumoSimCall& call : calls)
        threadIds.insert(call.threadId);
    EXPECT_EQ(threadIds.size(), static_cast<size_t>(threads));
}

// The same load without the lock: the driver's overlap count does see such callers. On a
// busy machine one burst may happen to run its threads one after another, so bursts repeat
// (threads released together) until an overlap shows or a few seconds have passed.
TEST_F(PortAccessTest, OverlapCountCatchesUnserializedCallers) {
    ASSERT_EQ(sim.Apply("spin 5000\n"), 1);
    std::atomic<int> failures{0};
    const DWORD deadline = GetTickCount() + 5000;
    do {
        std::atomic<bool> go{false};
        std::vector<std::thread> workers;
        for (int slot = 0; slot < 4; ++slot)
            workers.emplace_back([slot, &go, &failures] {
                while (!go.load())
                    std::this_thread::yield();
                ExercisePorts(slot, 1500, false, failures);
            });
        go.store(true);
        for (std::thread& worker : workers)
            worker.join();
    } while (sim.OverlapCount() == 0 && static_cast<int32_t>(GetTickCount() - deadline) < 0);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(sim.OverlapCount(), 0);
}

} // namespace
} // namespace devicetest
