#include "qt/qt_results_application.h"

#include "qt/qt_display.h"
#include "qt/qt_look.h"
#include "qt/qt_results_window.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace corvath {
namespace {

constexpr const char* kWithoutWindow = "; \"corvath-report\" shows the scans without a window\n";

}  // namespace

int runResultsApplication(int argc, char** argv, const std::string& databasePath, FileManager& fileManager,
                          const PumpedEngineFactory& makeEngine) {
    if (!displayAvailable()) {
        std::cerr << "corvath-results: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset)"
                  << kWithoutWindow;
        return 2;
    }
    const EnvironmentLookup environment = [](const char* name) -> const char* { return std::getenv(name); };
    if (!displayAvailable(environment, displayReachable)) {
        std::string named;
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
            const char* value = std::getenv(variable);
            if (value == nullptr || *value == '\0') continue;
            named += std::string(named.empty() ? "" : ", ") + variable + "=" + value;
        }
        std::cerr << "corvath-results: cannot connect to the display (" << named << ")" << kWithoutWindow;
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvath-results"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.corvath.Results"));
    prepareIconTheme();
    QtResultsWindow window(databasePath, fileManager, makeEngine);
    window.show();
    return QApplication::exec();
}

}  // namespace corvath
