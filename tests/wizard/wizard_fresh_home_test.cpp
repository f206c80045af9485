// The wizard over the real settings store, in a home where the program has never
// run and nothing was set up by hand.

#include "platform/linux/sqlite_registry_store.h"
#include "support/temp_dir.h"
#include "wizard/wizard_harness.h"

namespace corvath::test {
namespace {

class WizardOnFreshHome : public ::testing::Test {
protected:
    WizardOnFreshHome() {
        view.attach(wizard);
        for (const char* name : {"/", "/data", "/media/usb"}) {
            volumes.add(rootOfDriveName(name)).space = DiskSpace{1 << 20, 4096};
        }
    }

    TempDir home;
    std::filesystem::path file = home / ".config/corvath/registry.db";
    SqliteRegistryStore store{file};
    FakeVolumeLayer volumes;
    RunState state;
    RecordingFileManager fileManager;
    FakeWizardView view;
    Wizard wizard{view, store, volumes, state, fileManager, [] { return std::make_unique<FakeEngine>(); }, nullptr};
};

TEST_F(WizardOnFreshHome, TickingRememberStoresTheSelectionForTheNextStart) {
    ASSERT_FALSE(std::filesystem::exists(file));
    wizard.startInteractive();
    ASSERT_EQ(view.value(Control::chkRememberSettings), check_state::kChecked);
    // The user unticks the box, thinks again and ticks it.
    view.clickCheckBox(Control::chkRememberSettings);
    view.clickCheckBox(Control::chkRememberSettings);
    ASSERT_EQ(view.value(Control::chkRememberSettings), check_state::kChecked);
    tickOnly(view.list, {"/data", "/media/usb"});
    wizard.onNextClick();

    // The next start, in a new process, finds what this one stored.
    SqliteRegistryStore restarted(file);
    EXPECT_TRUE(loadRememberFlag(restarted, nullptr));
    SavedSelection saved;
    loadSavedSelection(restarted, saved);
    EXPECT_TRUE(saved.present);
    EXPECT_EQ(saved.entries, (std::vector<std::string>{"/data", "/media/usb"}));
}

}  // namespace
}  // namespace corvath::test
