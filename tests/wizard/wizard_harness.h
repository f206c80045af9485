#pragma once

#include "run/file_manager.h"
#include "run/run_companion.h"
#include "run/run_state.h"
#include "engine/engine_error.h"
#include "text/paths.h"
#include "settings/analyzer_settings.h"
#include "support/fake_volume_layer.h"
#include "support/recording_file_manager.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "wizard/fake_wizard_view.h"
#include "wizard/wizard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvath::test {

class RecordingCompanion : public RunCompanion {
public:
    void CompanionStartA(int&) override { calls.emplace_back("StartA"); }
    void CompanionStartB(int&) override { calls.emplace_back("StartB"); }
    void CompanionEndA(int&) override { calls.emplace_back("EndA"); }
    void CompanionEndB() override { calls.emplace_back("EndB"); }
    std::vector<std::string> calls;
};

// The shared drive table, which can also look at the window while the list is
// being filled.
class ListingVolumeLayer : public FakeVolumeLayer {
public:
    std::string driveRoots() override {
        if (onListing) {
            onListing();
        }
        return FakeVolumeLayer::driveRoots();
    }
    std::function<void()> onListing;
};

// Ticks exactly the drives named.
inline void tickOnly(FakeDriveList& list, const std::vector<std::string>& driveNames) {
    for (FakeDriveList::Item& item : list.items) {
        item.checked = std::find(driveNames.begin(), driveNames.end(), item.driveName) != driveNames.end();
    }
}

inline std::vector<std::string> tickedNames(const FakeDriveList& list) {
    std::vector<std::string> names;
    for (const FakeDriveList::Item& item : list.items) {
        if (item.checked) {
            names.push_back(item.driveName);
        }
    }
    return names;
}

// The wizard wired to fakes of everything around it: the window, the settings
// key (present, empty), a drive table, the engine and the companion.
class WizardTest : public ::testing::Test {
protected:
    WizardTest() {
        store.createKey(kSettingsKey);
        view.attach(wizard);
    }

    void setSetting(const std::string& name, const std::string& text) { store.setText(kSettingsKey, name, text); }
    std::optional<std::string> setting(const std::string& name) const { return store.text(kSettingsKey, name); }

    // Start-up as the program does it; the drives are those of `volumes`, every
    // fixed one ticked unless a selection is saved.
    void start() { wizard.startInteractive(); }

    // Ticks exactly these drives and presses Next.
    void runWith(const std::vector<std::string>& drives) {
        tickOnly(view.list, drives);
        wizard.onNextClick();
    }

    // A fixed drive by name ("/data") with this many bytes in use.
    FakeVolumeLayer::Drive& addDrive(const std::string& name, std::uint64_t usedBytes) {
        FakeVolumeLayer::Drive& drive = volumes.add(rootOfDriveName(name));
        drive.space = DiskSpace{usedBytes + 4096, 4096};
        return drive;
    }

    // Three drives whose used bytes make the overall bar easy to follow.
    void addThreeDrives() {
        addDrive("/", 300000);
        addDrive("/data", 200000);
        addDrive("/media/usb", 500000);
    }

    FakeRegistryStore store;
    ListingVolumeLayer volumes;
    RunState state;
    RecordingFileManager fileManager;
    RecordingCompanion companion;
    FakeWizardView view;
    FakeEngine* engine = nullptr;
    int enginesMade = 0;
    Wizard wizard{view,
                  store,
                  volumes,
                  state,
                  fileManager,
                  [this] {
                      auto made = std::make_unique<FakeEngine>();
                      made->tick = [this] {
                          if (view.timerRunning()) {
                              wizard.onTimerTick();
                          }
                      };
                      engine = made.get();
                      ++enginesMade;
                      return made;
                  },
                  &companion};
};

}  // namespace corvath::test
