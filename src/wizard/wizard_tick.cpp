#include "wizard/wizard.h"

#include "wizard/progress_percent.h"
#include "wizard/status_text.h"

#include <optional>
#include <utility>

namespace corvath {

void Wizard::onTimerTick() {
    if (!showEngineProgress()) {
        return;
    }
    if (bCancelled) {
        stopProgressTimer();
        view_.unload();
    }
}

bool Wizard::showEngineProgress() {
    std::string statusText;
    std::string bytesText;
    if (!engineCall([&](AnalysisEngine& engine) {
            statusText = engine.GetStatusText();
            bytesText = engine.GetProcessedBytesText();
        })) {
        return false;
    }

    // A malformed report leaves the display as the last good tick left it; the
    // next tick may bring a good one.
    std::vector<std::string> fields = splitStatusText(statusText);
    const std::optional<std::uint64_t> processed = parseByteCount(bytesText);
    if (fields.size() >= 2 && !fields[0].empty() && processed) {
        fields[0] = folderOfStatusField(fields[0]);
        statusFields = std::move(fields);

        const int twipsPerPixel = view_.twipsPerPixelX();
        const int widthPixels = twipsPerPixel > 0 ? view_.width(Control::lblFolderName) / twipsPerPixel : 0;
        view_.setCaption(Control::lblFolderName, view_.compactPath(statusFields[0], widthPixels));
        view_.setCaption(Control::lblFileFldCount, countOfStatusField(statusFields[1]));

        ProgressTotals& totals = state_.totals;
        totals.processedBytes = *processed;
        diskPercent = progressPercent(static_cast<double>(totals.processedBytes),
                                      static_cast<double>(totals.currentDriveUsedBytes));
        view_.setValue(Control::pbDiskProgress, runningBarValue(diskPercent));
        overallPercent = progressPercent(
            static_cast<double>(totals.completedBytes) + static_cast<double>(totals.processedBytes),
            static_cast<double>(totals.totalUsedBytes));
        view_.setValue(Control::pbOverallProgress, runningBarValue(overallPercent));
    }
    return true;
}

}  // namespace corvath
