#include "win32/win32_wizard_application.h"

#include "text/paths.h"
#include "engine/engine_error.h"
#include "settings/analyzer_settings.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "support/fake_volume_layer.h"
#include "support/recording_file_manager.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace corvath::test {
namespace {

int boxesClosed = 0;

// From a timer of the program's own loop: closes the first message box, or
// else the window by its close box.
void CALLBACK closeWhatShows(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = FindWindowA("#32770", kProductName)) {
        ++boxesClosed;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    } else if (HWND wizard = FindWindowA("CorvathWizard", kProductName); wizard != nullptr && IsWindowVisible(wizard)) {
        PostMessageA(wizard, WM_CLOSE, 0, 0);
    }
}

class Win32ApplicationTest : public ::testing::Test {
protected:
    Win32ApplicationTest() {
        store.createKey(kSettingsKey);
        volumes.add(rootOfDriveName("C:"));
        boxesClosed = 0;
        SetTimer(nullptr, 0, 300, closeWhatShows);
    }

    FakeRegistryStore store;
    FakeVolumeLayer volumes;
    RunState state;
    RecordingFileManager fileManager;
};

TEST_F(Win32ApplicationTest, RunsUntilTheWindowIsClosedAndEndsWithZero) {
    int made = 0;
    const int status = runWin32WizardApplication(state, store, volumes, fileManager, [&made](EventPump&) {
        ++made;
        return std::make_unique<FakeEngine>();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(boxesClosed, 0);
    EXPECT_EQ(volumes.described, std::vector<std::string>{rootOfDriveName("C:")});  // the list was filled
}

TEST_F(Win32ApplicationTest, AnEngineThatCannotBeMadeIsShownAndEndsWithOne) {
    const int status = runWin32WizardApplication(state, store, volumes, fileManager,
                                                 [](EventPump&) -> std::unique_ptr<AnalysisEngine> {
                                                     throw EngineError("no engine here");
                                                 });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(boxesClosed, 1);
}

}  // namespace
}  // namespace corvath::test
