#include "wizard/qt_wizard_application.h"

#include "wizard/qt_display.h"
#include "wizard/qt_event_pump.h"
#include "wizard/qt_wizard_window.h"
#include "wizard/wizard.h"

#include <QApplication>

#include <iostream>

namespace corvath {

namespace {

// The window needs the logic's handlers and the logic needs the window; this
// forwards the window's events to the logic once both exist.
class ForwardedEvents : public WizardEvents {
public:
    WizardEvents* target = nullptr;
    void onLoad() override { target->onLoad(); }
    void onUnload(bool byCloseBox) override { target->onUnload(byCloseBox); }
    void onNextClick() override { target->onNextClick(); }
    void onCancelClick() override { target->onCancelClick(); }
    void onRememberSettingsClick() override { target->onRememberSettingsClick(); }
    void onCloseWhenDoneClick() override { target->onCloseWhenDoneClick(); }
    void onTimerTick() override { target->onTimerTick(); }
};

}  // namespace

int runWizardApplication(int argc, char** argv, RunState& state, RegistryStore& store, VolumeLayer& volumes,
                         FileManager& fileManager, const PumpedEngineFactory& makeEngine) {
    if (!displayAvailable()) {
        std::cerr << "corvath-analyzer: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset); "
                     "run \"corvath-analyzer -auto\" to analyze without a window\n";
        return 2;
    }

    QApplication app(argc, argv);
    // The program ends when the window has been unloaded and the running handler
    // has returned, not when Qt sees the last window close: quitting while a run
    // is nested inside the engine would end the engine's event loop too.
    QApplication::setQuitOnLastWindowClosed(false);

    QtEventPump pump;
    ForwardedEvents events;
    QtWizardWindow window(events);
    Wizard wizard(window, store, volumes, state, fileManager, [&] { return makeEngine(pump); }, nullptr);
    events.target = &wizard;

    bool closed = false;
    window.setOnClosed([&] {
        closed = true;
        QCoreApplication::quit();
    });
    wizard.startInteractive();
    if (closed || !window.isLoaded()) {
        return 0;
    }
    QApplication::exec();
    return 0;
}

}  // namespace corvath
