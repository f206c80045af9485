// corvath-tick-bench: what one progress tick costs on the real window during a
// run: two engine reads, the split of the status text, the compaction of a
// 250-character folder into the label, and the four control updates.
//
//   corvath-tick-bench [TICKS]
//
// Runs under QT_QPA_PLATFORM=offscreen unless another platform is chosen.
#include "run/run_state.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "support/fake_volume_layer.h"
#include "support/recording_file_manager.h"
#include "wizard/forwarded_events.h"
#include "qt/qt_wizard_window.h"
#include "wizard/wizard.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace corvath;
using Clock = std::chrono::steady_clock;

constexpr double kTargetMedianMs = 0.5;
constexpr int kWarmUpTicks = 200;
constexpr std::uint64_t kUsedBytes = 500'000'000'000;

// A 250-character folder under the drive: folders of 20 characters, cut.
std::string longFolder() {
    std::string folder = "/bench";
    for (int level = 0; folder.size() < 250; ++level) {
        folder += "/folder-level-" + std::to_string(100000 + level);
    }
    folder.resize(250);
    return folder;
}

// Reads that answer at once; each changes the folder's last character and grows
// the byte count, so no tick finds its label already showing the text.
void answerAtOnce(test::FakeEngine& engine, const std::string& folder) {
    auto reads = std::make_shared<std::uint64_t>(0);
    engine.recordReads = false;
    engine.statusSource = [folder, reads] {
        std::string shown = folder;
        shown.back() = static_cast<char>('a' + *reads % 26);
        return shown + "/|" + std::to_string(1000 + *reads) + " files, 250 folders scanned";
    };
    engine.bytesSource = [reads] {
        ++*reads;
        return std::to_string(*reads * (kUsedBytes / 100000));
    };
}

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;

    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    // No settings key, so every setting takes its default; one readable fixed
    // drive, so that start-up ticks it and Next runs it.
    test::FakeRegistryStore store;
    test::FakeVolumeLayer volumes;
    volumes.add("/bench/").space = DiskSpace{kUsedBytes + 4096, 4096};
    test::RecordingFileManager fileManager;
    RunState state;
    ForwardedEvents events;
    QtWizardWindow window(events);
    const std::string folder = longFolder();
    test::FakeEngine* engine = nullptr;
    Wizard wizard(window, store, volumes, state, fileManager,
                  [&engine, &folder]() -> std::unique_ptr<AnalysisEngine> {
                      auto made = std::make_unique<test::FakeEngine>();
                      answerAtOnce(*made, folder);
                      engine = made.get();
                      return made;
                  },
                  nullptr);
    events.target = &wizard;
    wizard.startInteractive();
    if (engine == nullptr || !window.isLoaded()) {
        std::fprintf(stderr, "corvath-tick-bench: the window did not start\n");
        return 2;
    }

    std::vector<double> tickMs;
    std::vector<double> withPaintMs;
    std::string shownFolder;
    bool progressPageShown = false;
    engine->duringAnalysis = [&] {
        progressPageShown = window.isVisible(Control::frmProgress) && !window.isVisible(Control::frmDrives);
        for (int i = 0; i < kWarmUpTicks + ticks; ++i) {
            const Clock::time_point start = Clock::now();
            wizard.onTimerTick();
            const Clock::time_point ticked = Clock::now();
            // The window paints what the tick changed before the next one, as
            // its event loop would between timer events.
            QCoreApplication::processEvents();
            const Clock::time_point painted = Clock::now();
            if (i >= kWarmUpTicks) {
                tickMs.push_back(milliseconds(ticked - start));
                withPaintMs.push_back(milliseconds(painted - start));
            }
        }
        shownFolder = window.caption(Control::lblFolderName);
    };
    wizard.onNextClick();

    // A run that never reached the ticks, or ticks that changed nothing, would
    // make the figures meaningless.
    if (!progressPageShown || tickMs.size() != static_cast<std::size_t>(ticks) ||
        shownFolder.find("...") == std::string::npos || shownFolder.size() >= folder.size() ||
        wizard.lastDiskPercent() <= 0) {
        std::fprintf(stderr, "corvath-tick-bench: the run did not tick as expected (label \"%s\", %d %%)\n",
                     shownFolder.c_str(), static_cast<int>(wizard.lastDiskPercent()));
        return 2;
    }

    const double median = percentile(tickMs, 0.5);
    std::printf("platform %s, %d ticks after %d to warm up, folder of %zu characters shown as \"%s\"\n",
                qPrintable(QGuiApplication::platformName()), ticks, kWarmUpTicks, folder.size(),
                shownFolder.c_str());
    std::printf("tick handler:         median %.4f ms, 95th percentile %.4f ms, max %.4f ms\n", median,
                percentile(tickMs, 0.95), percentile(tickMs, 1.0));
    std::printf("tick and its repaint: median %.4f ms, 95th percentile %.4f ms\n", percentile(withPaintMs, 0.5),
                percentile(withPaintMs, 0.95));
    const bool met = median <= kTargetMedianMs;
    std::printf("target: median at most %.1f ms: %s\n", kTargetMedianMs, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
