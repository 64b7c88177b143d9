// Damaged stored blocks: modules restored from blocks no dialog could have left (slot
// and port out of range, a stale buffer address, channel counts from 0 to 0xFFFFFFFF, names
// without NUL, random bytes) are restored, started, run, shown in their dialog and deleted
// without a crash, a hang or a write outside their blocks, and refuse where the plug-in
// refuses.
#include "tests/reliability/ReliabilitySupport.h"

#include "res/ResourceIds.h"
#include "sim/host/user/ModalDriver.h"
#include "sim/host/flowchart/PluginBlocks.h"

#include <cstring>
#include <functional>

namespace reliability {
namespace {

using Bytes = std::vector<uint8_t>;

template <typename Field> void Put(Bytes& block, size_t offset, Field value) {
    std::memcpy(block.data() + offset, &value, sizeof value);
}

struct BlockDamage {
    const char* what;
    std::function<void(standin::WorksheetModule&)> apply;
};

std::vector<BlockDamage> BlockDamages() {
    std::vector<BlockDamage> damages;
    for (uint16_t slot : {int(BOARD_SLOTS), 0x8000, 0xFFFF})
        damages.push_back({"slot out of range", [slot](standin::WorksheetModule& m) {
                               Put(m.params, offsetof(ParamsHead, boardSlot), slot);
                           }});
    for (uint16_t port : {int(BOARD_PORTS), 0xFFFF})
        damages.push_back({"port out of range", [port](standin::WorksheetModule& m) {
                               const size_t at = m.className == OUTPUT_CLASS
                                                     ? offsetof(OutParams, port)
                                                     : offsetof(InParams, port);
                               Put(m.params, at, port);
                           }});
    for (uint32_t stale : {0x12345678u, 0xFFFFFFF0u, 0x1000u})
        damages.push_back({"stale portBytes", [stale](standin::WorksheetModule& m) {
                               if (m.className == OUTPUT_CLASS)
                                   Put(m.params, offsetof(OutParams, portBytes), stale);
                           }});
    for (uint32_t count : {0u, 8u, 9u, 16u, 17u, 0x10000u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        damages.push_back({"channel count", [count](standin::WorksheetModule& m) {
                               m.inputs = m.className == OUTPUT_CLASS ? count : 0;
                               m.outputs = m.className == INPUT_CLASS ? count : 0;
                           }});
    for (int fill : {0x41, 0x81, 0xFF})
        damages.push_back({"names without NUL", [fill](standin::WorksheetModule& m) {
                               std::memset(m.params.data(), fill, sizeof ParamsHead::channelNames);
                           }});
    return damages;
}

class DamagedBlocks : public Reliability {
protected:
    std::string DriverSetup() const override { return "board 2\nboard 0\nspin 0\n"; }

    // Restores, starts, runs a few rounds, stops, opens the dialog (when `dialog`) and deletes.
    void Exercise(const standin::WorksheetModule& stored, bool dialog) {
        const std::string claims = ClaimsPicture();
        const size_t warningsBefore = standin::Warnings().size();
        int32_t restored = -1;
        ModuleRecord* module = standin::RestoreModule(stored, &restored);
        ASSERT_NE(module, nullptr);
        if (restored == 0) {
            EXPECT_GT(standin::Warnings().size(), warningsBefore) << "a refusal says why";
        }
        if (standin::StartExperiment({module})) {
            Random random(module->inputChannelCount);
            for (uint32_t round = 0; round < 3; ++round) {
                for (uint32_t c = 0; c < module->inputChannelCount && c < 17; ++c)
                    standin::QueueInputBlock(module, c,
                                             RandomSamples(random, standin::BlockSize()));
                fakeTicks += 1000;
                standin::RunProcess(module);
            }
            standin::StopExperimentRun({module});
        }
        if (dialog) {
            const modal::Outcome outcome = modal::RunModal(
                [module] { return INT_PTR(standin::SendModuleMessage(module, 103)); },
                {[](HWND d) { modal::Click(d, IDOK); }});
            EXPECT_FALSE(outcome.forcedEnd) << outcome.forcedTitle;
        }
        standin::SendModuleMessage(module, MODMSG_DELETE);
        standin::DeleteModuleRecord(module);
        EXPECT_EQ(ClaimsPicture(), claims) << "claims as before";
        EXPECT_EQ(standin::LivePluginAllocations(), 0u);
        AddFigure("damaged blocks tried", 1);
    }
};

TEST_F(DamagedBlocks, EachDamageRunsWithoutHarm) {
    standin::SetBlockSize(20);
    for (const char* className : {OUTPUT_CLASS, INPUT_CLASS})
        for (const BlockDamage& damage : BlockDamages()) {
            SCOPED_TRACE(std::string(className) + ": " + damage.what);
            standin::WorksheetModule stored = standin::StoredModule(className, 2, 1, 3, 3);
            if (std::string(className) == OUTPUT_CLASS)
                stored.outputs = 0;
            else
                stored.inputs = 0;
            damage.apply(stored);
            Exercise(stored, std::string(damage.what) == "names without NUL");
            if (HasFatalFailure())
                return;
        }
}

TEST_F(DamagedBlocks, RandomBytesRunWithoutHarm) {
    const uint32_t count = Setting("PEMO_DAMAGED_BLOCKS", 40);
    Random random(11);
    for (uint32_t i = 0; i < count; ++i) {
        const char* className = i % 2 ? INPUT_CLASS : OUTPUT_CLASS;
        SCOPED_TRACE(std::string(className) + " random block " + std::to_string(i));
        standin::WorksheetModule stored = standin::StoredModule(className, 0, 0, 0, 0);
        for (uint8_t& byte : stored.params)
            byte = uint8_t(random.Next());
        for (uint8_t& byte : stored.extra)
            byte = uint8_t(random.Next());
        stored.inputs = random.Chance(50) ? random.Below(18) : random.Next() | 0x80000000u;
        stored.outputs = random.Chance(50) ? random.Below(18) : random.Next();
        // Now and then a block that names a real port, so that some runs reach the driver.
        if (random.Chance(30))
            standin::StorePort(className, stored.params, uint16_t(random.Below(3)),
                               uint16_t(random.Below(BOARD_PORTS)));
        // The dialog sends the count back through ChangeModuleSize: only counts a host can have.
        const bool dialog = i % 10 == 0;
        if (dialog) {
            stored.inputs %= 17;
            stored.outputs %= 17;
        }
        Exercise(stored, dialog);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace reliability
