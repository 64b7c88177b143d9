// The fuzz driver: seeded random sequences of what a host can do to the plug-in - module
// messages of every code from 0 to 210 and huge ones, with random arguments where the contract
// allows them; the dialogs of 101 and 103 answered at random by the scripted user; random
// stored blocks and data blocks; hostile host variables (block sizes 0, 1, 65535 and changing;
// milliseconds per sample 0, negative, NaN, infinite, 1e300, denormal; start ticks and
// samplesDelivered near the 32-bit wrap) - on guard-page memory. Each sequence must end with no
// host complaint, no block of the plug-in left and every claim given back; a crash ends the
// program (the guard pages name the block), a step that hangs is reported with its seed.
//
// The seeds of tests/reliability/fuzz-corpus.txt are replayed in every run, then
// PEMO_FUZZ_ITERATIONS fresh ones from PEMO_FUZZ_SEED on. A seed that fails goes into the
// corpus with a word on what it found.
#include "tests/reliability/ReliabilitySupport.h"

#include "res/ResourceIds.h"
#include "sim/host/user/ModalDriver.h"
#include "sim/host/flowchart/PluginBlocks.h"

#include <atomic>
#include <cfloat>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <thread>

namespace reliability {
namespace {

const double hostileMilliseconds[] = {
    0.0,      -1.0,      -0.5,  std::numeric_limits<double>::quiet_NaN(),
    INFINITY, -INFINITY, 1e300, 4.9e-324,
    DBL_MIN,  1e-300,    0.001, 0.7,
    1.0,      10.0,      1e6,
};
const uint32_t hostileBlockSizes[] = {0, 1, 2, 7, 16, 64, 100, 1000, 65535, 65536, 0xFFFFFFFFu};
const uint32_t hugeCodes[] = {211, 1000, 30000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};

// Which step a sequence is at, for the watchdog.
std::atomic<uint32_t> currentSeed{0}, currentStep{0};
std::atomic<DWORD> stepStarted{0};
std::atomic<bool> watching{false};

// Ends the program when one step of a sequence has not returned after two minutes.
void Watchdog() {
    while (watching) {
        Sleep(500);
        const DWORD started = stepStarted;
        if (started && int32_t(GetTickCount() - started) > 120000) {
            std::fprintf(stderr, "fuzz: seed %u hangs at step %u\n", unsigned(currentSeed),
                         unsigned(currentStep));
            std::fflush(stderr);
            ExitProcess(3);
        }
    }
}

class Fuzz : public Reliability {
protected:
    std::string DriverSetup() const override {
        return "board 0\nboard 2\nspin 0\ninput 0 * counter step=29\n"
               "fault 2 * both probability=0.01 seed=3\n";
    }

    void RunSequence(uint32_t seed);
    uint32_t steps = 0;

private:
    Random random{0};
    std::vector<ModuleRecord*> modules;
    bool running = false;

    // A size a host could really have most of the time, a hostile one now and then; the
    // hostile sizes stay rare, since a block of 65535 samples means 65535 port calls.
    uint32_t BlockSize() {
        if (random.Chance(5))
            return hostileBlockSizes[random.Below(sizeof hostileBlockSizes / 4)] & 0xFFFF;
        return 1 + random.Below(120);
    }
    void NewModule();
    void SendMessage(ModuleRecord* module);
    void Dialog(ModuleRecord* module, uint32_t message);
    void Process();
    void HostileVariable();
    void Start();
    void Stop();
    void Delete(size_t index);
};

void Fuzz::NewModule() {
    const char* className = random.Chance(50) ? OUTPUT_CLASS : INPUT_CLASS;
    const uint32_t count = random.Chance(90) ? random.Below(17) : random.Next();
    standin::WorksheetModule stored = standin::StoredModule(
        className, uint16_t(random.Below(4)), uint16_t(random.Below(BOARD_PORTS + 1)),
        className == OUTPUT_CLASS ? count : 0, className == INPUT_CLASS ? count : 0);
    if (random.Chance(20))
        for (uint8_t& byte : stored.params)
            byte = random.Chance(10) ? uint8_t(random.Next()) : byte;
    ModuleRecord* module = standin::RestoreModule(stored);
    ASSERT_NE(module, nullptr);
    modules.push_back(module);
}

void Fuzz::Dialog(ModuleRecord* module, uint32_t message) {
    std::vector<modal::Step> script;
    const uint32_t gestures = random.Below(6);
    for (uint32_t i = 0; i < gestures; ++i) {
        const uint32_t what = random.Below(8);
        const uint32_t pick = random.Below(20);
        script.push_back([what, pick](HWND dialog) {
            switch (what) {
            case 0:
                modal::MouseClick(dialog, IDC_LESS);
                break;
            case 1:
                modal::MouseClick(dialog, IDC_MORE);
                break;
            case 2:
                modal::MouseClick(dialog, IDC_CHANNEL0 + int(pick % 10));
                break;
            case 3:
                modal::Type(dialog, IDC_CHANNEL_NAME, std::string(pick + 1, '\x83'));
                break;
            case 4:
                modal::Type(dialog, IDC_MODULE_NAME, std::string(pick, 'n'));
                break;
            case 5:
                modal::SelectComboItem(dialog, IDC_DEVSEL_PORTS, int(pick % 5));
                break;
            case 6:
                modal::SelectListItem(dialog, IDC_DEVSEL_LIST, int(pick % 4));
                break;
            default:
                modal::Key(dialog, VK_TAB);
                break;
            }
        });
    }
    const uint32_t end = random.Below(4);
    script.push_back([end](HWND dialog) {
        if (end == 0)
            modal::Click(dialog, IDOK);
        else if (end == 1)
            modal::Click(dialog, IDCANCEL);
        else if (end == 2)
            modal::Key(dialog, VK_ESCAPE);
        else
            modal::CloseBox(dialog);
    });
    modal::RunModal(
        [module, message] { return INT_PTR(standin::SendModuleMessage(module, message)); }, script);
    AddFigure("fuzz dialogs answered", 1);
}

void Fuzz::SendMessage(ModuleRecord* module) {
    uint32_t message = random.Chance(95) ? random.Below(211) : hugeCodes[random.Below(6)];
    // Messages only the host's own state allows: creation, deletion and restore of a module
    // outside a run; start and stop of a run go to every module (Start, Stop).
    if (message == MODMSG_EXPERIMENT_START || message == MODMSG_EXPERIMENT_STOP)
        return running ? Stop() : Start();
    if (running &&
        (message == MODMSG_CREATE || message == MODMSG_DELETE || message == MODMSG_RESTORE))
        return;
    if (message == MODMSG_DELETE) {
        for (size_t i = 0; i < modules.size(); ++i)
            if (modules[i] == module)
                return Delete(i);
    }
    if (message == MODMSG_CREATE || message == MODMSG_PARAMETER_DIALOG) {
        // The create message releases no earlier claim: it comes only to a fresh module.
        if (message == MODMSG_CREATE) {
            standin::SendModuleMessage(module, MODMSG_DELETE);
            standin::DeleteModuleRecord(module);
            modules.erase(std::find(modules.begin(), modules.end(), module));
            const standin::RegisteredClass* moduleClass =
                standin::FindClass(random.Chance(50) ? OUTPUT_CLASS : INPUT_CLASS);
            module = standin::NewModule(*moduleClass);
            modules.push_back(module);
        }
        return Dialog(module, message);
    }
    uint32_t data = random.Next();
    ClassInfoRequest* request = nullptr;
    if (message == MODMSG_CLASS_INFO) {
        request = static_cast<ClassInfoRequest*>(standin::HostAlloc(sizeof *request));
        for (size_t i = 0; i < sizeof *request; ++i)
            reinterpret_cast<uint8_t*>(request)[i] = uint8_t(random.Next());
        data = ToAddr32(request);
    }
    standin::SendModuleMessage(module, message, random.Next(), data);
    standin::HostFree(request);
}

void Fuzz::Process() {
    ModuleRecord* module = modules[random.Below(uint32_t(modules.size()))];
    const uint32_t blocks = random.Below(3);
    for (uint32_t i = 0; i < blocks; ++i) {
        const uint32_t samples = random.Chance(97) ? random.Below(130) : random.Below(65536);
        standin::QueueInputBlock(module, random.Below(18), RandomSamples(random, samples));
    }
    fakeTicks += random.Chance(90) ? random.Below(300) : random.Next();
    standin::RunProcess(module);
    AddFigure("fuzz process calls", 1);
}

void Fuzz::HostileVariable() {
    switch (random.Below(6)) {
    case 0:
        standin::SetBlockSize(BlockSize());
        break;
    case 1:
        standin::SetMilliSecondsPerSample(
            hostileMilliseconds[random.Below(sizeof hostileMilliseconds / sizeof(double))]);
        break;
    case 2:
        standin::SetExperimentStartTicks(0xFFFFFFFFu - random.Below(5000));
        break;
    case 3: {
        ModuleRecord* module = modules[random.Below(uint32_t(modules.size()))];
        ChannelState* state = ChannelStateOf(module, random.Below(8));
        state->samplesDelivered = 0xFFFFFFFFu - random.Below(70000);
        break;
    }
    case 4:
        standin::SetAnimation(random.Below(3));
        break;
    default:
        standin::SetExperimentPaused(random.Chance(80) ? 0 : random.Below(3));
        break;
    }
}

void Fuzz::Start() {
    if (random.Chance(50))
        standin::SetBlockSize(BlockSize());
    running = standin::StartExperiment(modules);
    AddFigure(running ? "fuzz runs started" : "fuzz runs refused", 1);
    if (running && random.Chance(50))
        standin::SetExperimentStartTicks(0xFFFFFFFFu - random.Below(3000));
    fakeTicks = standin::ExperimentStartTicks();
}

void Fuzz::Stop() {
    standin::StopExperimentRun(modules);
    running = false;
}

void Fuzz::Delete(size_t index) {
    standin::SendModuleMessage(modules[index], MODMSG_DELETE);
    standin::DeleteModuleRecord(modules[index]);
    modules.erase(modules.begin() + index);
}

void Fuzz::RunSequence(uint32_t seed) {
    SCOPED_TRACE("fuzz seed " + std::to_string(seed));
    currentSeed = seed;
    random = Random(seed);
    const std::string claims = ClaimsPicture();
    standin::SetBlockSize(BlockSize());
    standin::SetMilliSecondsPerSample(1.0);
    for (uint32_t i = 1 + random.Below(3); i > 0; --i)
        NewModule();
    const uint32_t length = 20 + random.Below(60);
    for (uint32_t step = 0; step < length && !HasFatalFailure(); ++step) {
        currentStep = step;
        stepStarted = GetTickCount() | 1;
        if (modules.empty())
            NewModule();
        const uint32_t what = random.Below(100);
        if (what < 20)
            SendMessage(modules[random.Below(uint32_t(modules.size()))]);
        else if (what < 30)
            running ? Stop() : Start();
        else if (what < 65)
            Process();
        else if (what < 90)
            HostileVariable();
        else if (what < 95 && !running)
            NewModule();
        else if (!running)
            Delete(random.Below(uint32_t(modules.size())));
        ++steps;
    }
    stepStarted = 0;
    if (running)
        Stop();
    while (!modules.empty())
        Delete(modules.size() - 1);
    standin::SetExperimentPaused(0);
    standin::SetAnimation(0);
    EXPECT_EQ(ClaimsPicture(), claims) << "every claim given back";
    EXPECT_EQ(standin::LivePluginAllocations(), 0u) << "every block given back";
    testsupport::ExpectNoComplaint();
    standin::ClearRecords();
    AddFigure("fuzz sequences", 1);
}

std::vector<uint32_t> CorpusSeeds() {
    std::istringstream file(
        testsupport::FileBytes(testsupport::InSourceTree(L"tests\\reliability\\fuzz-corpus.txt")));
    std::vector<uint32_t> seeds;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string keyword;
        uint32_t seed;
        if (words >> keyword >> seed && keyword == "seed")
            seeds.push_back(seed);
    }
    return seeds;
}

TEST_F(Fuzz, CorpusAndFreshSeedsLeaveNoHarm) {
    watching = true;
    std::thread watchdog(Watchdog);
    const std::vector<uint32_t> corpus = CorpusSeeds();
    EXPECT_FALSE(corpus.empty()) << "tests/reliability/fuzz-corpus.txt";
    for (uint32_t seed : corpus) {
        RunSequence(seed);
        AddFigure("fuzz corpus sequences replayed", 1);
    }
    const uint32_t first = Setting("PEMO_FUZZ_SEED", 1000);
    const uint32_t count = Setting("PEMO_FUZZ_ITERATIONS", 30);
    for (uint32_t seed = first; seed < first + count && !HasFatalFailure(); ++seed)
        RunSequence(seed);
    AddFigure("fuzz steps", steps);
    watching = false;
    watchdog.join();
}

} // namespace
} // namespace reliability
