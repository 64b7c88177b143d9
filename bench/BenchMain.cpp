// pemo_bench: the per-sample paths of the plug-in, the port lock under contention, the
// allocations while processing and the pacing of the input module, each against its floor,
// in one run. Prints the table and writes it to a file.
//
//   pemo_bench [--smoke] [--emulated] [--repetitions N] [--out FILE] [--only PART]
//
// PART: per-sample, threads, allocations or pacing (default: all four). --emulated: the run is
// under CPU emulation (scripts/bench --win32): ratios only, timing targets not judged.
//
// Exit code 1 when a zero target (allocations, overlapping driver calls, early releases)
// fails or the setting cannot be made; the figures with limits are reported, not enforced.
#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Part {
    const char* name;
    void (*run)(bench::Setting&, const bench::Settings&, bench::Report&);
};

const Part PARTS[] = {
    {"per-sample", bench::RunPerSample},
    {"threads", bench::RunContention},
    {"allocations", bench::RunAllocations},
    {"pacing", bench::RunPacing},
};

bench::Settings ReadSettings(int argc, char** argv, std::string& out, std::string& only) {
    bench::Settings settings;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            settings.smoke = true;
            settings.repetitions = 1;
            settings.trials = 1;
            settings.sampleTarget = 2e4;
            settings.threadSeconds = 0.05;
            settings.pacingSeconds = 0.3;
        } else if (std::strcmp(argv[i], "--emulated") == 0) {
            settings.emulated = true;
        } else if (std::strcmp(argv[i], "--repetitions") == 0 && i + 1 < argc) {
            settings.repetitions = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            out = argv[++i];
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        }
    }
    return settings;
}

} // namespace

int main(int argc, char** argv) {
    std::string out = "bench-results.md", only;
    const bench::Settings settings = ReadSettings(argc, argv, out, only);
    bench::Report report;
    bench::Setting setting;
    std::string error;
    if (bench::StartSetting(setting, error)) {
        for (const Part& part : PARTS)
            if (only.empty() || only == part.name)
                part.run(setting, settings, report);
    } else {
        report.problems.push_back(error);
    }
    bench::StopSetting(setting);
    const std::string text = bench::FormatReport(report, settings);
    std::fputs(text.c_str(), stdout);
    if (FILE* file = std::fopen(out.c_str(), "w")) {
        std::fputs(text.c_str(), file);
        std::fclose(file);
    } else {
        std::fprintf(stderr, "pemo_bench: cannot write %s\n", out.c_str());
    }
    return bench::ZeroTargetsHold(report) ? 0 : 1;
}
