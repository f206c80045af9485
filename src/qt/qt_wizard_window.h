#pragma once

#include "qt/qt_mouse_pointer.h"
#include "qt/qt_drive_list.h"
#include "wizard/wizard_layout.h"
#include "wizard/wizard_view.h"

#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QWidget;
class QTreeWidget;

namespace corvath {

class QtWizardForm;

// The wizard window in Qt Widgets. It builds the controls of the window's
// static design, converted from twips with the screen's twips per pixel, maps
// every WizardView call onto them and hands the widgets' events to the window
// logic; it makes no decisions of its own. It never calls onLoad: the logic runs
// its load handler itself during start-up.
//
// After unload() (or the close box) the window is closed for good: calls that
// change the window do nothing, reads still answer, and it never shows again.
class QtWizardWindow : public WizardView {
public:
    explicit QtWizardWindow(WizardEvents& events);
    ~QtWizardWindow() override;
    QtWizardWindow(const QtWizardWindow&) = delete;
    QtWizardWindow& operator=(const QtWizardWindow&) = delete;

    // WizardView.
    void show() override;
    void processEvents() override;
    void setFocus() override;
    void unload() override;
    bool isLoaded() const override { return !unloaded_; }

    void setVisible(Control control, bool visible) override;
    bool isVisible(Control control) const override;
    void setEnabled(Control control, bool enabled) override;
    bool isEnabled(Control control) const override;
    void bringToFront(Control control) override;
    void sendToBack(Control control) override;
    void refresh(Control control) override;
    void setCaption(Control control, const std::string& caption) override;
    std::string caption(Control control) const override;
    int left(Control control) const override;
    void setLeft(Control control, int twips) override;
    int width(Control control) const override;
    int value(Control control) const override;
    void setValue(Control control, int value) override;
    void setWordWrap(Control control, bool wrap) override;

    void setTimerEnabled(bool enabled) override;
    void setTimerInterval(int milliseconds) override;

    DriveList& driveList() override { return driveList_; }
    void enableListCheckBoxes() override;
    void setListColumnWidth(int twips) override;

    int twipsPerPixelX() const override;
    std::string compactPath(const std::string& path, int widthPixels) const override;
    int showCenteredMessage(const std::string& text, int style, const std::string& title) override;

    int mousePointer() const override { return pointer_.mousePointer(); }
    void setMousePointer(int code) override { pointer_.setMousePointer(code); }

    // The top-level widget and each control's widget (nullptr for the timer).
    QWidget* window() const;
    QWidget* widget(Control control) const;
    bool timerRunning() const { return timer_.isActive(); }
    // Called once the window has been unloaded and no handler the window started
    // is still running (a run nests the timer's handlers inside its own): the
    // moment the program may end.
    void setOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

private:
    void buildControls();
    void applyTabOrder();
    void placeControl(Control control);
    // Shows the control's caption as the user reads it: translated, a button's
    // and a tick box's with its access key.
    void showCaption(Control control);
    // The letter of an English caption that Alt clicks; 0 for its first letter.
    static char englishAccessKey(Control control);
    void applyTimer();
    void onCloseBox();
    // Runs a handler for an event that came from the toolkit; a failure it reports
    // ends the handler and is shown to the user instead of unwinding through Qt.
    void dispatch(const std::function<void()>& handler);
    void runCheckHandler(Control control);
    void closedIfIdle();

    WizardEvents& events_;
    std::unique_ptr<QtWizardForm> form_;
    std::map<Control, QWidget*> widgets_;
    std::map<Control, ControlDesign> geometry_;
    std::map<Control, std::string> captions_;  // in English, as the logic set them
    QTreeWidget* list_ = nullptr;
    QtDriveList driveList_;
    QtMousePointer pointer_;
    QTimer timer_;
    bool timerEnabled_ = false;
    int timerInterval_ = 0;
    bool unloaded_ = false;
    int handlersRunning_ = 0;
    std::function<void()> onClosed_;
    bool closingByCode_ = false;
    bool shownOnce_ = false;
    // Disabling the focused control lends its focus to the next one in the
    // chain; enabled again, it takes the focus back if nobody moved it since.
    QWidget* focusLentBy_ = nullptr;
    QWidget* focusLentTo_ = nullptr;
    double twipsPerPixelX_ = 15;
    double twipsPerPixelY_ = 15;
};

}  // namespace corvath
