#include "win32/win32_wizard_application.h"

#include "win32/win32_event_pump.h"
#include "win32/win32_wizard_window.h"
#include "wizard/forwarded_events.h"
#include "wizard/wizard.h"

#include <windows.h>

namespace corvath {

int runWin32WizardApplication(RunState& state, RegistryStore& store, VolumeLayer& volumes, FileManager& fileManager,
                              const PumpedEngineFactory& makeEngine) {
    Win32EventPump pump;
    ForwardedEvents events;
    Win32WizardWindow window(events);
    const MessageFilter keys = [&window](MSG& msg) { return window.preTranslate(msg); };
    pump.setMessageFilter(keys);
    Wizard wizard(window, store, volumes, state, fileManager, [&] { return makeEngine(pump); }, nullptr);
    events.target = &wizard;

    bool closed = false;
    window.setOnClosed([&] {
        closed = true;
        // Wakes the loop below, which may be waiting for a message.
        PostMessageA(window.window(), WM_NULL, 0, 0);
    });
    wizard.startInteractive();
    MSG msg;
    while (!closed && window.isLoaded() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (keys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // An engine failure has been shown to the user; the program ends as on any
    // failure it cannot go on from.
    return wizard.engineFailed() ? 1 : 0;
}

}  // namespace corvath
