// Whole screens through the console with no console attached, as a script
// piped to standard input runs them: the menu, the screen's three or two
// entries, the results, and the ENTER that closes it.

#include "console/console.h"
#include "menu/menu.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Standard input as a pipe, handing over the whole script in 4096-byte
// blocks; output is counted and dropped.
class PipePort : public padcalc::Port {
  public:
    explicit PipePort(std::string_view input) : input_(input) {}

    padcalc::Source source() const override { return padcalc::Source::bare; }
    long read_keys(char* buf, std::size_t size) override {
        std::size_t n = std::min(size, input_.size() - at_);
        std::memcpy(buf, input_.data() + at_, n);
        at_ += n;
        return static_cast<long>(n);
    }
    bool keys_ready() override { return at_ < input_.size(); }
    long read_lines(char*, std::size_t) override { return padcalc::read_end; }
    void echo(std::string_view) override {}
    void write_out(std::string_view text) override { written += text.size(); }
    bool out_is_terminal() const override { return false; }

    std::size_t written = 0;

  private:
    std::string_view input_;
    std::size_t at_ = 0;
};

constexpr int screens_per_session = 1000;

// One session: the same screen `screens_per_session` times, then quit.
void run_screens(benchmark::State& state, const std::string& one_screen) {
    std::string script;
    for (int i = 0; i < screens_per_session; ++i)
        script += one_screen;
    script += "q\n";
    for (auto _ : state) {
        PipePort port(script);
        padcalc::Console con(port);
        padcalc::run_menu(con);
        con.end_line();
        benchmark::DoNotOptimize(port.written);
    }
    state.SetItemsProcessed(state.iterations() * screens_per_session);
    state.SetLabel("items are screens");
}

void tee_screens(benchmark::State& state) { run_screens(state, "a600\n600\n10\n\n"); }
void pi_screens(benchmark::State& state) { run_screens(state, "c600\n150\n20\n\n"); }
void min_loss_screens(benchmark::State& state) { run_screens(state, "e600\n150\n\n"); }

} // namespace

BENCHMARK(tee_screens)->Unit(benchmark::kMicrosecond);
BENCHMARK(pi_screens)->Unit(benchmark::kMicrosecond);
BENCHMARK(min_loss_screens)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
