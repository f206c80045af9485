// The interactive program's runner: how it ends after an engine failure.
#include "qt/qt_wizard_application.h"

#include "text/paths.h"
#include "settings/analyzer_settings.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "support/fake_volume_layer.h"
#include "support/recording_file_manager.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <stdexcept>
#include <string>

namespace corvath {
namespace {

class WizardApplication : public ::testing::Test {
protected:
    WizardApplication() {
        store.createKey(kSettingsKey);
        volumes.add(rootOfDriveName("/")).space = DiskSpace{8192, 4096};
    }

    // Plays the user once the window waits: Enter on the first focus, then OK on
    // every box; records the boxes' texts.
    void playTheUser() {
        auto* user = new QTimer(qApp);
        QObject::connect(user, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown += box->text().toStdString() + "\n";
                box->buttons().front()->click();
            } else if (QApplication::activeWindow() == nullptr) {
                // The offscreen platform has no window manager to activate it.
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (w->isVisible()) QApplication::setActiveWindow(w);
                }
            } else if (!enterPressed && QApplication::focusWidget() != nullptr) {
                enterPressed = true;
                // Queued: the run it starts must not hold this timer's slot.
                QMetaObject::invokeMethod(
                    qApp, [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); },
                    Qt::QueuedConnection);
            }
        });
        user->start(20);
    }

    int run(const PumpedEngineFactory& makeEngine) {
        static char name[] = "corvath-analyzer";
        char* argv[] = {name, nullptr};
        int argc = 1;
        return runWizardApplication(argc, argv, state, store, volumes, fileManager, makeEngine);
    }

    test::FakeRegistryStore store;
    test::FakeVolumeLayer volumes;
    RunState state;
    test::RecordingFileManager fileManager;
    std::string shown;
    bool enterPressed = false;
};

TEST_F(WizardApplication, AnEngineThatCannotStartIsShownAndEndsWithStatusOne) {
    const int status = run([this](EventPump&) -> std::unique_ptr<AnalysisEngine> {
        playTheUser();
        throw std::runtime_error("The analysis engine could not start.");
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(shown, "The analysis engine could not start.\n");
}

TEST_F(WizardApplication, AFailedAnalysisIsShownThenTheWindowClosesWithStatusOne) {
    const int status = run([this](EventPump&) -> std::unique_ptr<AnalysisEngine> {
        playTheUser();
        auto engine = std::make_unique<test::FakeEngine>();
        engine->failing = "AnalyzeDrive";
        return engine;
    });
    EXPECT_TRUE(enterPressed);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(shown, "AnalyzeDrive failed: the drive went away\n");
}

}  // namespace
}  // namespace corvath
