// The real window driven by the real wizard logic, around a scripted engine:
// where the focus starts and how Tab moves it.
#include "qt/qt_wizard_window.h"

#include "text/paths.h"
#include "qt/qt_test_app.h"
#include "run/run_state.h"
#include "settings/analyzer_settings.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "support/fake_volume_layer.h"
#include "support/recording_file_manager.h"
#include "wizard/forwarded_events.h"
#include "wizard/wizard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace corvath {
namespace {

class WizardFocus : public test::QtFixture {
protected:
    WizardFocus() {
        store.createKey(kSettingsKey);
        events.target = &wizard;
        volumes.add(rootOfDriveName("/")).space = DiskSpace{8192, 4096};
    }

    void start() {
        wizard.startInteractive();
        QApplication::setActiveWindow(window.window());
    }

    // The tab order's controls a user can reach now, from the first.
    std::vector<QWidget*> reachable() const {
        std::vector<QWidget*> chain;
        for (const Control c : {Control::cmdNext, Control::cmdCancel, Control::lvwDrives, Control::chkCloseWhenDone,
                                Control::chkRememberSettings}) {
            QWidget* w = window.widget(c);
            if (w->isVisible() && w->isEnabled()) chain.push_back(w);
        }
        return chain;
    }

    // Where Tab takes the focus, once round the chain and back to where it began.
    std::vector<QWidget*> tabbed(std::size_t steps) const {
        std::vector<QWidget*> seen{QApplication::focusWidget()};
        for (std::size_t i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen.push_back(QApplication::focusWidget());
        }
        return seen;
    }

    test::FakeRegistryStore store;
    test::FakeVolumeLayer volumes;
    RunState state;
    test::RecordingFileManager fileManager;
    std::vector<std::string> engineLog;
    ForwardedEvents events;
    QtWizardWindow window{events};
    Wizard wizard{window, store,       volumes,
                  state,  fileManager, [this] { return std::make_unique<test::FakeEngine>(engineLog); },
                  nullptr};
};

TEST_F(WizardFocus, StartsOnNextTabsInOrderAndEnterThereAnalyzes) {
    start();
    std::vector<QWidget*> expected = reachable();
    ASSERT_EQ(expected.size(), 4U);  // the progress page's box is hidden
    ASSERT_EQ(expected.front(), window.widget(Control::cmdNext));
    expected.push_back(expected.front());
    EXPECT_EQ(tabbed(4), expected);

    // The drive is ticked by default; Enter on the first focus runs its analysis.
    ASSERT_EQ(QApplication::focusWidget(), window.widget(Control::cmdNext));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_NE(std::find(engineLog.begin(), engineLog.end(), "AnalyzeDrive /"), engineLog.end());

    // The done page's chain skips the hidden drive page.
    window.widget(Control::cmdCancel)->setFocus(Qt::OtherFocusReason);
    std::vector<QWidget*> done = reachable();
    ASSERT_GE(done.size(), 2U);
    std::rotate(done.begin(), std::find(done.begin(), done.end(), QApplication::focusWidget()), done.end());
    done.push_back(done.front());
    EXPECT_EQ(tabbed(done.size() - 1), done);
}

// A drive that cannot be read is told about in a box before the run, started
// with Alt+N from the list where the user ticked the drives; once the box has
// gone and the run is done, the focus is on Finish, the one button left, not
// on the tick box that follows the hidden list, so that Enter ends the program.
TEST_F(WizardFocus, AfterTheRunFinishHasTheFocusAlsoWhenABoxCameFirst) {
    volumes.add(rootOfDriveName("/gone")).probe = ProbeOutcome::Inaccessible;
    start();
    std::string told;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            told = box->text().toStdString();
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start(10);
    window.widget(Control::lvwDrives)->setFocus(Qt::TabFocusReason);
    // As Alt+N does, the click leaves the focus where it was.
    static_cast<QAbstractButton*>(window.widget(Control::cmdNext))->click();
    answer.stop();
    ASSERT_NE(told.find("/gone"), std::string::npos) << told;
    ASSERT_EQ(window.caption(Control::cmdCancel), "Finish");
    // The window is active again once the box has gone, as a window manager
    // makes it; the focus comes back to where the window kept it.
    QApplication::processEvents();
    QApplication::setActiveWindow(window.window());
    EXPECT_EQ(QApplication::focusWidget(), window.widget(Control::cmdCancel));
}

}  // namespace
}  // namespace corvath
