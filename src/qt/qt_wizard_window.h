#pragma once

#include "qt/qt_drive_list.h"
#include "qt/qt_mouse_pointer.h"
#include "wizard/wizard_window_core.h"

#include <QTimer>

#include <map>
#include <memory>
#include <string>

class QWidget;
class QStyle;
class QTreeWidget;

namespace corvath {

class QtWizardForm;

// The wizard window in Qt Widgets: the window core's controls as widgets,
// converted from twips with the screen's twips per pixel, with the widgets'
// events handed to the core.
class QtWizardWindow : public WizardWindowCore {
public:
    explicit QtWizardWindow(WizardEvents& events);
    ~QtWizardWindow() override;
    QtWizardWindow(const QtWizardWindow&) = delete;
    QtWizardWindow& operator=(const QtWizardWindow&) = delete;

    void processEvents() override;
    DriveList& driveList() override { return driveList_; }
    std::string compactPath(const std::string& path, int widthPixels) const override;
    int showCenteredMessage(const std::string& text, int style, const std::string& title) override;
    int mousePointer() const override { return pointer_.mousePointer(); }
    void setMousePointer(int code) override { pointer_.setMousePointer(code); }

    // The top-level widget and each control's widget (nullptr for the timer).
    QWidget* window() const;
    QWidget* widget(Control control) const;

private:
    void makeControl(const ControlDesign& design) override;
    void showCaption(Control control, const std::string& caption) override;
    void placeAt(Control control, const PixelRect& rect) override;
    PixelSize textRoom(Control control) const override;
    int wrappedTextHeight(Control control, int widthPixels) const override;
    void setShown(Control control, bool shown) override;
    bool isShown(Control control) const override;
    void setActive(Control control, bool enabled) override;
    bool isActive(Control control) const override;
    void raise(Control control) override;
    void lower(Control control) override;
    void paintNow(Control control) override;
    void dropQueuedInput() override;
    int checkState(Control control) const override;
    void setCheckState(Control control, int state) override;
    int barValue(Control control) const override;
    void setBarValue(Control control, int value) override;
    void setLabelWrap(Control control, bool wrap) override;
    void setListCheckBoxes() override;
    void setListColumnPixels(int pixels) override;
    std::optional<Control> focusedControl() const override;
    bool canTakeFocus(Control control) const override;
    void giveFocus(Control control) override;
    void showWindow() override;
    void hideWindow() override;
    void activateWindow() override;
    PixelRect windowFrame() const override;
    PixelRect workArea() const override;
    void moveWindow(int left, int top) override;
    void startTimer(int milliseconds) override;
    void stopTimer() override;

    QWidget* makeWidget(const ControlDesign& design, QWidget* parent);
    void connectEvents();
    void nameControls();
    void applyTabOrder();

    std::unique_ptr<QtWizardForm> form_;
    std::map<Control, QWidget*> widgets_;
    QTreeWidget* list_ = nullptr;
    QStyle* tickBoxStyle_ = nullptr;  // a child of the list
    QtDriveList driveList_;
    QtMousePointer pointer_;
    QTimer timer_;
    bool closingByCode_ = false;
    // Controls hidden because they lie behind a sibling that covers them, with
    // the visibility the window logic gave them.
    std::map<Control, bool> coveredShown_;
};

}  // namespace corvath
