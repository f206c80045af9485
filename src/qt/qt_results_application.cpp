#include "qt/qt_results_application.h"

#include "qt/qt_display.h"
#include "qt/qt_look.h"
#include "qt/qt_results_window.h"
#include "qt/qt_translation.h"
#include "text/database_option.h"
#include "text/program_version.h"
#include "ui/results_arguments.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace corvath {
namespace {

constexpr const char* kWithoutWindow = "; \"corvath-report\" shows the scans without a window\n";

}  // namespace

int runResultsApplication(int argc, char** argv, const std::string& usersDatabase, FileManager& fileManager,
                          TrashCan& trash, const ResultsEngineFactory& makeEngine, RegistryStore* settings) {
    if (!checkDisplay("corvath-results", kWithoutWindow, std::cerr)) return 2;

    // Qt takes its own options out of argv; what is left is ours.
    QApplication app(argc, argv);
    ResultsArguments arguments;
    try {
        arguments = parseResultsArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << "corvath-results: " << error.what() << '\n';
        return 2;
    }
    const std::string database = chosenDatabase(arguments.database, usersDatabase);

    // WM_CLASS is "corvath-results", "corvath-results" (from this name), which
    // the desktop entry's StartupWMClass names; Wayland matches the entry by
    // the desktop file name.
    QApplication::setApplicationName(QStringLiteral("corvath-results"));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kResultsDesktopApplicationId));
    installTranslations(app);
    prepareIconTheme();
    QtResultsWindow window(database, fileManager, trash,
                           [&makeEngine, database](EventPump& pump) { return makeEngine(pump, database); });
    window.setSettingsStore(settings);
    window.show();
    return QApplication::exec();
}

}  // namespace corvath
