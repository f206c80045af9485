#pragma once

#include "win32/win32_event_pump.h"
#include "win32/win32_wizard_window.h"
#include "settings/analyzer_settings.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "support/fake_volume_layer.h"
#include "support/recording_file_manager.h"
#include "wizard/forwarded_events.h"
#include "wizard/wizard.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace corvath::test {

// The real Win32 window wired to the wizard's logic, with fakes for the settings,
// the drives and the engine; the engine runs the window's messages through the
// real event pump while it "scans".
class Win32WindowTest : public ::testing::Test {
protected:
    Win32WindowTest() {
        store.createKey(kSettingsKey);
        events.target = &wizard;
        pump.setMessageFilter([this](MSG& msg) { return window.preTranslate(msg); });
        // A message box that no test expects would wait for a user for ever.
        SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) {
            if (HWND box = FindWindowA("#32770", kProductName)) {
                ADD_FAILURE() << "an unexpected message box was open";
                PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            }
        });
    }

    std::string setting(const std::string& name) const { return store.text(kSettingsKey, name).value_or("<none>"); }
    HWND hwnd(Control c) const { return window.control(c); }

    FakeRegistryStore store;
    FakeVolumeLayer volumes;
    RunState state;
    RecordingFileManager fileManager;
    std::vector<std::string> engineLog;
    FakeEngine* engine = nullptr;  // owned by the wizard once made
    Win32EventPump pump;
    ForwardedEvents events;
    Win32WizardWindow window{events};
    Wizard wizard{window,     store, volumes, state, fileManager,
                  [this] {
                      auto made = std::make_unique<FakeEngine>(engineLog);
                      engine = made.get();
                      return made;
                  },
                  nullptr};
};

// The pixels of a window as it shows on the screen.
class Screenshot {
public:
    explicit Screenshot(HWND window);
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF pixel(int x, int y) const;
    // How many different colours the rectangle holds.
    int colours(int left, int top, int right, int bottom) const;
    // Writes a 32-bit BMP file; false when it cannot.
    bool save(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;  // top-down, 0x00RRGGBB
};

// Where the test run keeps its artifacts (CORVATH_TEST_ARTIFACTS), made if need be.
std::string artifactPath(const std::string& fileName);

}  // namespace corvath::test
