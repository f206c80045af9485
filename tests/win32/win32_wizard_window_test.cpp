#include "window_harness.h"

#include "text/paths.h"
#include "ui/twips.h"

#include <commctrl.h>

#include <chrono>
#include <thread>

namespace corvath::test {
namespace {

using namespace std::chrono_literals;

// Lets the real pump run the window's messages for a while, as the engine does
// while it scans: woken from another thread.
void pumpFor(Win32EventPump& pump, std::chrono::milliseconds duration) {
    std::thread waker([&pump, duration] {
        std::this_thread::sleep_for(duration);
        pump.wake();
    });
    pump.run();
    waker.join();
}

// The sibling order of the controls, front first.
bool inFront(HWND front, HWND back) {
    for (HWND w = GetWindow(front, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == back) return true;
    }
    return false;
}

// A drive's root in the platform's form, from its name ("C:").
std::string root(const char* letter) { return rootOfDriveName(std::string(letter) + ":"); }

TEST_F(Win32WindowTest, IsAFixedWindowWithItsTitleAndIcon) {
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // The test prefix is set to 96 dpi, where the window contract's pixels hold.
    ASSERT_EQ(dpiX, 96);
    ASSERT_EQ(dpiY, 96);
    // Fixed size: no sizing border, no maximize box; a minimize box.
    const auto style = GetWindowLongPtrA(window.window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    char title[64] = {};
    GetWindowTextA(window.window(), title, sizeof title);
    EXPECT_STREQ(title, "Corvath Analyzer");
    EXPECT_NE(SendMessageA(window.window(), WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(Win32WindowTest, StartUpFillsTheDriveListFromTheVolumes) {
    volumes.add(root("C"), drive_type::kFixed);
    volumes.add(root("D"), drive_type::kRemovable).probe = ProbeOutcome::Inaccessible;
    volumes.add(root("E"), drive_type::kFixed).shellInfoFails = true;
    volumes.add(root("F"), drive_type::kFixed).probe = ProbeOutcome::Inaccessible;
    wizard.startInteractive();

    const Win32DriveList& list = window.drives();
    ASSERT_EQ(list.count(), 3);  // the drive the shell cannot describe is left out
    EXPECT_EQ(list.text(0), "Disk (C:)");
    EXPECT_EQ(list.driveName(0), "C:");
    EXPECT_EQ(list.driveName(1), "D:");
    EXPECT_EQ(list.driveName(2), "F:");
    // Fixed drives ticked, inaccessible ones ghosted, a ghosted fixed drive ticked all the same.
    EXPECT_TRUE(list.isChecked(0));
    EXPECT_FALSE(list.isChecked(1));
    EXPECT_TRUE(list.isChecked(2));
    EXPECT_FALSE(list.isInaccessible(0));
    EXPECT_TRUE(list.isInaccessible(1));
    EXPECT_TRUE(list.isInaccessible(2));
    EXPECT_EQ(SendMessageA(hwnd(Control::lvwDrives), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES,
              LVS_EX_CHECKBOXES);
    // The icon names of the fakes are no image-list indexes: no icon.
    EXPECT_EQ(list.iconIndex(0), I_IMAGENONE);

    // The list is in front of the notice, Next can be pressed, the drive page shows.
    EXPECT_TRUE(inFront(hwnd(Control::lvwDrives), hwnd(Control::txtLoading)));
    EXPECT_TRUE(window.isEnabled(Control::cmdNext));
    EXPECT_TRUE(window.isVisible(Control::frmDrives));
    EXPECT_FALSE(window.isVisible(Control::frmProgress));
    EXPECT_TRUE(IsWindowVisible(window.window()));
    EXPECT_EQ(window.mousePointer(), pointer::kDefault);

    // The user's tick reads back; an item's icon index is the shell's.
    ListView_SetCheckState(hwnd(Control::lvwDrives), 1, TRUE);
    EXPECT_TRUE(list.isChecked(1));
    const_cast<Win32DriveList&>(list).setIcon(1, "3");
    EXPECT_EQ(list.iconIndex(1), 3);
}

TEST_F(Win32WindowTest, EscAndEnterAwayFromAButtonClickNothing) {
    volumes.add(root("C"));
    wizard.startInteractive();
    SetFocus(hwnd(Control::lvwDrives));
    for (const WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_RETURN}}) {
        MSG msg{hwnd(Control::lvwDrives), WM_KEYDOWN, key, 0, 0, {}};
        window.preTranslate(msg);
    }
    EXPECT_TRUE(window.isVisible(Control::frmDrives));
    EXPECT_TRUE(window.isLoaded());
    EXPECT_EQ(engine->count("CancelAnalysis"), 0);

    // Tab follows the design's tab order over what can take the focus: the
    // disabled notice, the hidden page and the hidden Configure are passed over.
    std::vector<HWND> visited;
    for (int i = 0; i < 4; ++i) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(window.preTranslate(tab));
        visited.push_back(GetFocus());
    }
    EXPECT_EQ(visited, (std::vector<HWND>{hwnd(Control::chkRememberSettings), hwnd(Control::cmdNext),
                                          hwnd(Control::cmdCancel), hwnd(Control::lvwDrives)}));
}

TEST_F(Win32WindowTest, NextRunsToTheDonePageAndFinishUnloads) {
    volumes.add(root("C")).space = {1000, 400};  // 600 bytes used
    volumes.add(root("D")).space = {2000, 1000};
    wizard.startInteractive();
    window.driveList().setChecked(1, true);

    int pageShots = 0;
    int ticksSeen = 0;
    int bytes = 0;
    engine->statusSource = [] { return std::string("C:\\Windows\\System32\\|1,234 files, 56 folders scanned"); };
    engine->bytesSource = [&bytes] { return std::to_string(bytes); };
    engine->duringAnalysis = [&] {
        bytes = 300;
        const int before = engine->count("GetStatusText");
        pumpFor(pump, 450ms);  // several 100 ms ticks
        ticksSeen += engine->count("GetStatusText") - before;
        // Mid-scan the bars and labels show the engine's progress.
        // 300 of 600 and of 1000 used bytes.
        const int disk = window.value(Control::pbDiskProgress);
        EXPECT_TRUE(disk == 50 || disk == 30) << disk;
        EXPECT_GT(window.value(Control::pbOverallProgress), 0);
        EXPECT_EQ(window.caption(Control::lblFileFldCount), "1,234 files, 56 folders ");
        EXPECT_NE(window.caption(Control::lblFolderName).find("System32"), std::string::npos);
        if (pageShots++ == 0) Screenshot(window.window()).save(artifactPath("win32-wizard-progress.bmp"));
    };
    bool closed = false;
    window.setOnClosed([&closed] { closed = true; });

    SendMessageA(hwnd(Control::cmdNext), BM_CLICK, 0, 0);

    EXPECT_GE(ticksSeen, 2);
    EXPECT_EQ(engine->count("AnalyzeDrive C:"), 1);
    EXPECT_EQ(engine->count("AnalyzeDrive D:"), 1);
    EXPECT_EQ(engine->count("FinishDrive"), 2);
    EXPECT_EQ(window.caption(Control::lblTitle), "Analyzing...Done");
    EXPECT_EQ(window.caption(Control::lblDiskCount), "Disk 2 of 2");
    EXPECT_EQ(window.value(Control::pbDiskProgress), 100);
    EXPECT_EQ(window.value(Control::pbOverallProgress), 100);
    EXPECT_TRUE(window.isVisible(Control::frmProgress));
    EXPECT_FALSE(window.isVisible(Control::frmDrives));
    EXPECT_FALSE(window.isVisible(Control::cmdNext));
    EXPECT_FALSE(window.timerRunning());
    char text[32] = {};
    GetWindowTextA(hwnd(Control::cmdCancel), text, sizeof text);
    EXPECT_STREQ(text, "&Finish");  // with its access key
    // Cancel has moved to where Next was.
    RECT cancel;
    GetWindowRect(hwnd(Control::cmdCancel), &cancel);
    MapWindowPoints(nullptr, window.window(), reinterpret_cast<POINT*>(&cancel), 2);
    EXPECT_EQ(cancel.left, twipsToPixels(5055, 15));
    Screenshot(window.window()).save(artifactPath("win32-wizard-done.bmp"));

    EXPECT_FALSE(closed);
    SendMessageA(hwnd(Control::cmdCancel), BM_CLICK, 0, 0);
    EXPECT_FALSE(window.isLoaded());
    EXPECT_FALSE(IsWindowVisible(window.window()));
    EXPECT_TRUE(closed);
}

// Input queued while the list loaded is dropped, except a whole click on
// Cancel, which is posted again to act after start-up.
TEST_F(Win32WindowTest, QueuedInputIsDroppedButACancelClickIsKept) {
    volumes.add(root("C"));
    wizard.startInteractive();
    const auto clickOn = [](HWND button) {
        PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    const auto queued = [](HWND target, UINT first, UINT last) {
        MSG msg;
        return PeekMessageA(&msg, target, first, last, PM_NOREMOVE) != 0;
    };

    // Pressed on Cancel but released on Next: no click at all.
    PostMessageA(hwnd(Control::cmdCancel), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(hwnd(Control::cmdNext), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    clickOn(hwnd(Control::cmdNext));
    PostMessageA(hwnd(Control::cmdNext), WM_KEYDOWN, VK_RETURN, 0);
    window.discardInput();
    EXPECT_FALSE(queued(nullptr, WM_KEYFIRST, WM_KEYLAST));
    EXPECT_FALSE(queued(nullptr, WM_MOUSEFIRST, WM_MOUSELAST));
    EXPECT_FALSE(queued(hwnd(Control::cmdCancel), BM_CLICK, BM_CLICK));

    clickOn(hwnd(Control::cmdCancel));
    window.discardInput();
    EXPECT_FALSE(queued(nullptr, WM_MOUSEFIRST, WM_MOUSELAST));
    EXPECT_TRUE(queued(hwnd(Control::cmdCancel), BM_CLICK, BM_CLICK));
    EXPECT_FALSE(queued(hwnd(Control::cmdNext), BM_CLICK, BM_CLICK));
}

TEST_F(Win32WindowTest, ScreenshotOfTheDrivePageShowsBannerListAndButtons) {
    volumes.add(root("C"));
    volumes.add(root("D"), drive_type::kRemovable).probe = ProbeOutcome::Inaccessible;
    wizard.startInteractive();
    window.processEvents();
    UpdateWindow(window.window());

    const Screenshot shot(window.window());
    ASSERT_TRUE(shot.save(artifactPath("win32-wizard.bmp")));
    RECT client;
    GetClientRect(window.window(), &client);
    POINT origin{0, 0};
    ClientToScreen(window.window(), &origin);
    RECT outer;
    GetWindowRect(window.window(), &outer);
    const int dx = origin.x - outer.left;
    const int dy = origin.y - outer.top;
    // The banner picture has many colours; the button row and the list have text.
    EXPECT_GT(shot.colours(dx, dy, dx + client.right, dy + 55), 20);
    EXPECT_GT(shot.colours(dx + 16, dy + 64, dx + 412, dy + 255), 3);
    EXPECT_GT(shot.colours(dx + 337, dy + 300, dx + 410, dy + 323), 2);
    // The band's etched lower border underlines the picture, which ends at 825
    // twips (55 pixels): a shadow line right under it.
    const COLORREF underline = shot.pixel(dx + 200, dy + 55);
    EXPECT_LT(GetRValue(underline) + GetGValue(underline) + GetBValue(underline), 3 * 0xC0);
    EXPECT_NE(shot.pixel(dx + 200, dy + 54), underline);
}

}  // namespace
}  // namespace corvath::test
