// What the host costs: a full redraw of a 200x60 screen (panel painting and rendering), the bytes
// sent when one list row changes, and the time from a key on the terminal to the answer on screen.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "host/app/file_panel.h"
#include "host/term/renderer.h"

#ifdef SKIMMER_BIN
#include "tests/e2e/pty_harness.h"
#endif

namespace {

using namespace skimmer::host;

// A 200x60 screen shaped like the host's: a panel of many entries, a command line, a key bar.
struct Screen {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "skimmer-bench-panel";
    app::FilePanel panel;
    term::CellBuffer cells{200, 60};

    Screen() {
        std::filesystem::create_directories(dir);
        for (int i = 0; i < 300; ++i) std::ofstream(dir / ("file number " + std::to_string(i) + " Ünïcødé 文件.txt"));
        std::string error;
        panel.open(dir, error);
    }
    void paint() {
        cells.fill(0, 0, 199, 59, U' ', 0x07);
        panel.draw(cells, app::Rect{0, 0, 199, 57}, true);
        cells.put(0, 58, "/home/user/some/folder> a command line", 0x07);
        cells.put(0, 59, "1Help  2UserMn 3View  4Edit  5Copy  6RenMov7MkFold8Delete9ConfMn10Quit", 0x30);
    }
};

Screen& screen() {
    static Screen s;
    return s;
}

void BM_FullRedraw200x60(benchmark::State& state) {
    Screen& s = screen();
    term::Renderer renderer;
    size_t bytes = 0;
    for (auto _ : state) {
        s.paint();
        renderer.invalidate();
        bytes = renderer.render(s.cells).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FullRedraw200x60)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_RenderOnly200x60(benchmark::State& state) {
    Screen& s = screen();
    s.paint();
    term::Renderer renderer;
    for (auto _ : state) {
        renderer.invalidate();
        benchmark::DoNotOptimize(renderer.render(s.cells));
    }
}
BENCHMARK(BM_RenderOnly200x60)->Repetitions(5)->ReportAggregatesOnly(true);

// One whole list row changes (every cell of its 198 columns differs): the bytes that go out.
void BM_BytesOneRowChanges(benchmark::State& state) {
    Screen& s = screen();
    s.paint();
    term::Renderer renderer;
    renderer.render(s.cells);
    size_t bytes = 0;
    int flip = 0;
    const std::string rowA(198, 'a'), rowB(198, 'b');
    for (auto _ : state) {
        s.cells.put(1, 10, (flip++ % 2) ? rowA : rowB, 0x1B);
        bytes = renderer.render(s.cells).size();
    }
    state.counters["bytes_per_row_change"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BytesOneRowChanges)->Repetitions(5)->ReportAggregatesOnly(true);

// The cursor moves one entry down: two rows change colour (the old and the new cursor row).
void BM_BytesCursorMove(benchmark::State& state) {
    Screen& s = screen();
    term::Renderer renderer;
    s.panel.moveTo(0);
    s.paint();
    renderer.render(s.cells);
    size_t bytes = 0;
    for (auto _ : state) {
        s.panel.move(s.panel.current() < 50 ? 1 : -50);
        s.paint();
        bytes = renderer.render(s.cells).size();
    }
    state.counters["bytes_per_cursor_move"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BytesCursorMove)->Repetitions(5)->ReportAggregatesOnly(true);

#ifdef SKIMMER_BIN
// Key to screen through a real pty: Down or Up is written to the terminal, the clock stops when
// the host's answer arrives. The program and the pty stay up across iterations.
void BM_KeyToScreenLatency(benchmark::State& state) {
    skimmer::test::PtyOptions o;
    o.argv = {SKIMMER_BIN, "--manager"};
    o.cols = 200;
    o.rows = 60;
    o.cwd = screen().dir.string();
    o.env = {{"TERM", "xterm-256color"}};
    skimmer::test::PtyProgram p(o);
    if (!p.waitForText("10Quit", 10000)) {
        state.SkipWithError("skimmer did not start");
        return;
    }
    bool down = true;
    for (auto _ : state) {
        const size_t before = p.output().size();
        const auto start = std::chrono::steady_clock::now();
        p.send(down ? "\x1B[B" : "\x1B[A");
        down = !down;
        p.waitFor([&] { return p.output().size() > before; }, 2000);
        const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
        state.SetIterationTime(elapsed.count());
    }
    p.send("\x1B[21~");
    p.waitExit(2000);
}
BENCHMARK(BM_KeyToScreenLatency)->UseManualTime()->Iterations(200)->Repetitions(5)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
