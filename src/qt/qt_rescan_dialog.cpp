#include "qt/qt_rescan_dialog.h"

#include "engine/analysis_engine.h"
#include "engine/engine_error.h"
#include "qt/qt_event_pump.h"
#include "qt/qt_translation.h"
#include "ui/results_texts.h"
#include "wizard/progress_percent.h"
#include "wizard/status_text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace corvath {
namespace {

constexpr int kTickMilliseconds = 100;

}  // namespace

QtRescanDialog::QtRescanDialog(std::string drive, std::uint64_t expectedBytes, QWidget* parent)
    : QDialog(parent),
      drive_(std::move(drive)),
      expected_(expectedBytes),
      folder_(new QLabel(this)),
      count_(new QLabel(this)),
      bar_(new QProgressBar(this)) {
    setWindowTitle(QString::fromUtf8(kResultsName));
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Analyzing %1...").arg(QString::fromStdString(drive_)), this));
    folder_->setMinimumWidth(420);
    folder_->setTextFormat(Qt::PlainText);
    layout->addWidget(folder_);
    layout->addWidget(count_);
    bar_->setAccessibleName(tr("Share of the last scan's bytes counted so far"));
    bar_->setRange(0, expected_ > 0 ? 100 : 0);
    bar_->setValue(0);
    layout->addWidget(bar_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QtRescanDialog::cancel);
    layout->addWidget(buttons);
}

void QtRescanDialog::cancel() {
    if (engine_ == nullptr || cancelled_) return;
    cancelled_ = true;
    folder_->setText(tr("Cancelling..."));
    try {
        engine_->CancelAnalysis();
    } catch (const EngineError&) {
        // AnalyzeDrive reports the failure itself.
    }
}

void QtRescanDialog::reject() { cancel(); }

void QtRescanDialog::tick() {
    if (engine_ == nullptr || cancelled_) return;
    try {
        const std::vector<std::string> fields = splitStatusText(engine_->GetStatusText());
        const auto processed = parseByteCount(engine_->GetProcessedBytesText());
        if (fields.size() >= 2 && !fields[0].empty()) {
            const QString folder = QString::fromStdString(folderOfStatusField(fields[0]));
            folder_->setText(folder_->fontMetrics().elidedText(folder, Qt::ElideMiddle, folder_->width()));
            // "12 files, 3 folders", in the user's language as the wizard shows it.
            count_->setText(translatedText(countOfStatusField(fields[1])).trimmed());
        }
        if (processed && expected_ > 0) {
            bar_->setValue(runningBarValue(
                progressPercent(static_cast<double>(*processed), static_cast<double>(expected_))));
        }
    } catch (const EngineError&) {
        // A failed read leaves the last good figures; AnalyzeDrive reports failures.
    }
}

RescanOutcome QtRescanDialog::run(const PumpedEngineFactory& makeEngine) {
    QtEventPump pump;
    std::unique_ptr<AnalysisEngine> engine = makeEngine(pump);
    engine_ = engine.get();
    cancelled_ = false;
    show();
    QTimer timer;
    timer.setInterval(kTickMilliseconds);
    connect(&timer, &QTimer::timeout, this, &QtRescanDialog::tick);
    timer.start();

    RescanOutcome outcome;
    try {
        // The window's events, this dialog's Cancel among them, run inside.
        engine->AnalyzeDrive(drive_);
        timer.stop();
        if (cancelled_) {
            outcome.kind = RescanOutcome::Kind::Cancelled;
        } else {
            bar_->setRange(0, 100);
            bar_->setValue(100);
            folder_->setText(tr("Storing the results..."));
            engine->FinishDrive();
            outcome.kind = RescanOutcome::Kind::Stored;
        }
    } catch (const std::exception& error) {
        outcome.kind = RescanOutcome::Kind::Failed;
        outcome.message = QString::fromUtf8(error.what());
    }
    engine_ = nullptr;
    hide();
    return outcome;
}

}  // namespace corvath
