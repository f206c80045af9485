#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

#include "qt/qt_wizard_application.h"

class QLabel;
class QProgressBar;

namespace corvath {

class AnalysisEngine;

struct RescanOutcome {
    enum class Kind { Stored, Cancelled, Failed };
    Kind kind = Kind::Cancelled;
    QString message;  // why it failed
};

// "Analyze again": scans one drive afresh while showing its progress, with a
// Cancel button, then has the engine store the scan. The window's events keep
// running meanwhile through a nested event loop, as the wizard's do.
class QtRescanDialog : public QDialog {
    Q_OBJECT
public:
    // expectedBytes: the drive's used bytes at its last scan, the bar's whole;
    // 0 shows a busy bar.
    QtRescanDialog(std::string drive, std::uint64_t expectedBytes, QWidget* parent);

    // Returns when the scan has been stored, cancelled or has failed.
    RescanOutcome run(const PumpedEngineFactory& makeEngine);
    // Asks a running scan to stop; run() then returns promptly.
    void cancel();
    bool running() const { return engine_ != nullptr; }

protected:
    void reject() override;

private:
    void tick();

    std::string drive_;
    std::uint64_t expected_;
    AnalysisEngine* engine_ = nullptr;
    bool cancelled_ = false;
    QLabel* folder_;
    QLabel* count_;
    QProgressBar* bar_;
};

}  // namespace corvath
