#include "window_harness.h"

#include "ui/centered_placement.h"

#include <chrono>
#include <thread>

namespace corvath::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kBoxTitle = "Centred box under test";

// What the box looked like when it showed, and the button that closed it.
struct SeenBox {
    RECT rect{};
    bool found = false;
};
SeenBox seen;
WPARAM answer = IDNO;

// Runs inside the box's modal loop: finds the box, notes where it is, closes it.
void CALLBACK closeTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowA("#32770", kBoxTitle);
    if (box == nullptr || !IsWindowVisible(box)) return;
    KillTimer(nullptr, timer);
    seen.found = GetWindowRect(box, &seen.rect) != FALSE;
    PostMessageA(box, WM_COMMAND, answer, 0);
}

class CentredMessageTest : public Win32WindowTest {
protected:
    // Shows a box over the window at outerLeft (pixels) and returns its result.
    int showAt(int outerLeft) {
        RECT outer;
        GetWindowRect(window.window(), &outer);
        SetWindowPos(window.window(), nullptr, outerLeft, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        seen = SeenBox{};
        SetTimer(nullptr, 0, 50, closeTheBox);
        return window.showCenteredMessage("Are you sure you want to cancel the Corvath Analyzer process?", 4,
                                          kBoxTitle);
    }

    PixelPoint expectedCorner() const {
        RECT outer;
        GetWindowRect(window.window(), &outer);
        const double t = 15;
        const TwipsRect owner{outer.left * t, outer.top * t, (outer.right - outer.left) * t,
                              (outer.bottom - outer.top) * t};
        return centeredBoxPosition(owner, t, t, seen.rect.right - seen.rect.left, seen.rect.bottom - seen.rect.top);
    }
};

TEST_F(CentredMessageTest, TheBoxLandsCentredOnTheWindowAndReturnsTheButton) {
    window.show();
    answer = IDNO;
    EXPECT_EQ(showAt(300), 7);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(PixelPoint({seen.rect.left, seen.rect.top}), expectedCorner());

    // Partly off the left edge of the screen the box is still centred on the
    // window, off the screen itself where that is where the centre puts it.
    answer = IDYES;
    EXPECT_EQ(showAt(-300), 6);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(PixelPoint({seen.rect.left, seen.rect.top}), expectedCorner());
    EXPECT_LT(seen.rect.left, 0);
}

TEST_F(Win32WindowTest, CompactPathKeepsTheLastFolderAndFitsTheWidth) {
    const std::string shortPath = "C:\\Users\\";
    EXPECT_EQ(window.compactPath(shortPath, 300), shortPath);

    const std::string longPath =
        "C:\\Program Files\\A rather long folder name\\Another quite long folder\\Deeper still\\Leaf folder";
    const int width = 200;
    const std::string compact = window.compactPath(longPath, width);
    EXPECT_NE(compact.find("..."), std::string::npos) << compact;
    EXPECT_EQ(compact.rfind("\\Leaf folder"), compact.size() - std::string("\\Leaf folder").size()) << compact;
    EXPECT_EQ(compact.substr(0, 3), "C:\\") << compact;
    EXPECT_LT(compact.size(), longPath.size());

    // Measured in the labels' font, the result fits.
    HWND label = window.control(Control::lblFolderName);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, compact.c_str(), static_cast<int>(compact.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    EXPECT_LE(size.cx, width);
    EXPECT_GT(size.cx, width / 2);  // the beginning is kept as far as it fits
}

TEST(Win32EventPumpTest, RunsMessagesUntilWokenFromAnotherThread) {
    Win32EventPump pump;
    // A wake before run() ends the next run() at once.
    pump.wake();
    const auto start = std::chrono::steady_clock::now();
    pump.run();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);

    static int ticks = 0;
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    std::thread waker([&pump] {
        std::this_thread::sleep_for(300ms);
        pump.wake();
    });
    pump.run();
    waker.join();
    KillTimer(nullptr, timer);
    EXPECT_GE(ticks, 3);  // the thread's timer ran while the pump waited
}

TEST_F(Win32WindowTest, TheHourglassIsTheProgramsPointerUntilPutBack) {
    window.setMousePointer(pointer::kHourglass);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
    EXPECT_EQ(window.mousePointer(), pointer::kHourglass);
    window.setMousePointer(pointer::kDefault);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}

}  // namespace
}  // namespace corvath::test
