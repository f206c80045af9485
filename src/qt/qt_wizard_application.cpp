#include "qt/qt_wizard_application.h"

#include "wizard/forwarded_events.h"
#include "qt/qt_display.h"
#include "qt/qt_event_pump.h"
#include "qt/qt_translation.h"
#include "qt/qt_wizard_window.h"
#include "text/program_version.h"
#include "wizard/wizard.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <string>

namespace corvath {

int runWizardApplication(int argc, char** argv, RunState& state, RegistryStore& store, VolumeLayer& volumes,
                         FileManager& fileManager, const PumpedEngineFactory& makeEngine) {
    if (!checkDisplay("corvath-analyzer", "; run \"corvath-analyzer -auto\" to analyze without a window\n", std::cerr)) {
        return 2;
    }

    QApplication app(argc, argv);
    // The desktop matches the window to its entry (and so to its name and icon)
    // by this name; on X11 the entry's StartupWMClass matches the window class.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kDesktopApplicationId));
    installTranslations(app);
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
    if (!closed && window.isLoaded()) {
        QApplication::exec();
    }
    // An engine failure has been shown to the user; the program ends as on any
    // failure it cannot go on from.
    return wizard.engineFailed() ? 1 : 0;
}

}  // namespace corvath
