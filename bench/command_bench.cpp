// The command line as scripts call it: whole processes, each run with its
// output to /dev/null. A one-shot design should cost little more than the
// bare start of the program (--version), and a long sweep should stream.
//
//   ./build-bench/bench/command_bench
//
// Compare each command's time with Version's: the JSON design should be at
// most 1.2 times it, and the E192 build with pairs at most 2 times. With a
// part model, how far up the pad holds should add at most a fifth to the
// JSON design's time, and a sweep over frequency should run at 500,000
// points a second or more.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// Runs the program once with these arguments, waiting for it to end; gives
// the processor time it took, user and system, in microseconds: a figure
// that other work on the machine hardly moves, unlike the real time.
double run(const std::vector<std::string>& args, benchmark::State& state) {
    std::vector<char*> argv;
    std::string program = PADCALC_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (std::string& arg : copy)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        state.SkipWithError("cannot start the program");
        return 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec * 1000000 + usage.ru_utime.tv_usec +
                               usage.ru_stime.tv_sec * 1000000 + usage.ru_stime.tv_usec);
}

// Runs the program for each iteration, and reports its mean processor time
// as the counter child_cpu_us.
void measure(const std::vector<std::string>& args, benchmark::State& state) {
    double cpu = 0;
    for (auto _ : state)
        cpu += run(args, state);
    state.counters["child_cpu_us"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

void Version(benchmark::State& state) { measure({"--version"}, state); }

void TeeJson(benchmark::State& state) { measure({"tee", "50", "50", "10", "--json"}, state); }

void TeeE192PairsTolerancePower(benchmark::State& state) {
    measure({"tee", "50", "75", "10", "--series", "E192", "--pairs", "--tolerance", "1", "--power",
             "1W"},
            state);
}

// 100,000 losses in one sweep, written as CSV.
void SweepCsv(benchmark::State& state) {
    measure({"tee", "50", "50", "0.001:100:0.001", "--csv"}, state);
    state.SetItemsProcessed(state.iterations() * 100000);
}

// The same design with a part model: it also searches how far up it holds.
void TeePackageJson(benchmark::State& state) {
    measure({"tee", "50", "50", "10", "--package", "0402", "--json"}, state);
}

// 100,001 frequencies from 1 MHz to 20 GHz, written as CSV.
void FrequencySweepCsv(benchmark::State& state) {
    measure({"tee", "50", "50", "10", "--package", "0402", "--freq", "1M:20G:100001", "--csv"},
            state);
    state.SetItemsProcessed(state.iterations() * 100001);
}

BENCHMARK(Version)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(TeeJson)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(TeeE192PairsTolerancePower)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(SweepCsv)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(TeePackageJson)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(FrequencySweepCsv)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
