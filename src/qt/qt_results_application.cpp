#include "qt/qt_results_application.h"

#include "qt/qt_display.h"
#include "qt/qt_look.h"
#include "qt/qt_results_window.h"
#include "text/program_version.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace corvath {
namespace {

constexpr const char* kWithoutWindow = "; \"corvath-report\" shows the scans without a window\n";

}  // namespace

int runResultsApplication(int argc, char** argv, const std::string& databasePath, FileManager& fileManager,
                          TrashCan& trash, const PumpedEngineFactory& makeEngine, RegistryStore* settings) {
    if (!checkDisplay("corvath-results", kWithoutWindow, std::cerr)) return 2;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvath-results"));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kResultsDesktopApplicationId));
    prepareIconTheme();
    QtResultsWindow window(databasePath, fileManager, trash, makeEngine);
    window.setSettingsStore(settings);
    window.show();
    return QApplication::exec();
}

}  // namespace corvath
