#pragma once

#include "wizard/wizard_layout.h"
#include "wizard/wizard_view.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace corvath {

// What a wizard window does whatever toolkit draws it: the controls' design
// state (twips, captions as the logic set them), the timer's rules, the
// unloaded-for-good rule, focus lending, and running the logic's handlers for
// the toolkit's events. A toolkit's window derives from it and supplies the
// primitives below, which act on one native control and decide nothing.
//
// It never calls onLoad: the logic runs its load handler itself during start-up.
// After unload() (or the close box) the window is closed for good: calls that
// change the window do nothing, reads still answer, and it never shows again.
class WizardWindowCore : public WizardView {
public:
    explicit WizardWindowCore(WizardEvents& events);

    void show() override;
    void setFocus() override;
    void setFocus(Control control) override;
    void discardInput() override;
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

    void enableListCheckBoxes() override;
    void setListColumnWidth(int twips) override;
    int twipsPerPixelX() const override;

    bool timerRunning() const { return timerRunning_; }
    // Called once the window has been unloaded and no handler the window started
    // is still running (a run nests the timer's handlers inside its own): the
    // moment the program may end.
    void setOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

protected:
    // A rectangle in pixels, relative to the control's container (or the screen).
    struct PixelRect {
        int left, top, width, height;
    };
    struct PixelSize {
        int width, height;
    };

    // Called by the derived window's constructor, in this order.
    void setTwipsPerPixel(double x, double y);
    // Makes every control of the design with makeControl, then stacks them as
    // the design does.
    void buildControls();

    // The toolkit's events.
    void clicked(Control control);  // a button, or a tick box whose state the user changed
    void closeBoxPressed();
    void timerFired();
    // Moves the focus to the next (or previous) control in tab order that can take it.
    void moveFocus(bool backwards);

    // Runs a handler; a failure it reports ends the handler and is shown to the
    // user instead of unwinding through the toolkit.
    void dispatch(const std::function<void()>& handler);

    const ControlDesign& design(Control control) const { return designs_.at(control); }
    const std::string& englishCaption(Control control) const;
    double twipsPerPixelXExact() const { return twipsPerPixelX_; }
    double twipsPerPixelYExact() const { return twipsPerPixelY_; }

    // The primitives. Control arguments are never frmWizard or tmrProgress unless
    // said; none is called after the window is unloaded, except the reads.
    virtual void makeControl(const ControlDesign& design) = 0;
    virtual void showCaption(Control control, const std::string& caption) = 0;  // in English; frmWizard too
    virtual void placeAt(Control control, const PixelRect& rect) = 0;
    // The room the control's text needs as shown (a tick box's with its box); a
    // height of 0 for none.
    virtual PixelSize textRoom(Control control) const = 0;
    // The height a label's text takes wrapped to that width.
    virtual int wrappedTextHeight(Control control, int widthPixels) const = 0;
    virtual void setShown(Control control, bool shown) = 0;
    virtual bool isShown(Control control) const = 0;  // its own flag, whether or not the window is on screen
    virtual void setActive(Control control, bool enabled) = 0;
    virtual bool isActive(Control control) const = 0;
    virtual void raise(Control control) = 0;
    virtual void lower(Control control) = 0;
    virtual void paintNow(Control control) = 0;  // frmWizard too: the whole window
    // Takes the user's input waiting in the queue for the window and drops it.
    virtual void dropQueuedInput() = 0;
    virtual int checkState(Control control) const = 0;                // check_state codes
    virtual void setCheckState(Control control, int state) = 0;       // without running the handler
    virtual int barValue(Control control) const = 0;
    virtual void setBarValue(Control control, int value) = 0;         // 0 to 100
    virtual void setLabelWrap(Control control, bool wrap) = 0;
    virtual void setListCheckBoxes() = 0;
    virtual void setListColumnPixels(int pixels) = 0;
    virtual std::optional<Control> focusedControl() const = 0;
    virtual bool canTakeFocus(Control control) const = 0;
    virtual void giveFocus(Control control) = 0;
    // The window as a whole.
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    virtual void activateWindow() = 0;
    virtual PixelRect windowFrame() const = 0;  // the outer frame, on the screen
    virtual PixelRect workArea() const = 0;     // of the screen the window is on
    virtual void moveWindow(int left, int top) = 0;
    virtual void startTimer(int milliseconds) = 0;
    virtual void stopTimer() = 0;

private:
    void placeControl(Control control);
    // The widest a label on the banner may grow before the picture's artwork;
    // no limit for the other controls.
    int widestBeforeArtwork(Control control, int leftPixels) const;
    void moveFocusFrom(std::optional<Control> focused, bool backwards);
    bool holds(Control container, Control control) const;
    void applyTimer();
    void runCheckHandler(Control control);
    void closedIfIdle();

    WizardEvents& events_;
    std::map<Control, ControlDesign> designs_;  // as the design has them, moved where the logic moved them
    std::map<Control, std::string> captions_;   // in English, as the logic set them
    double twipsPerPixelX_ = 15;
    double twipsPerPixelY_ = 15;
    bool timerEnabled_ = false;
    int timerInterval_ = 0;
    bool timerRunning_ = false;
    bool unloaded_ = false;
    bool shownOnce_ = false;
    int handlersRunning_ = 0;
    std::function<void()> onClosed_;
    // Disabling the focused control lends its focus to the next one in tab
    // order; enabled again, it takes the focus back if nobody moved it since.
    std::optional<Control> focusLentBy_;
    std::optional<Control> focusLentTo_;
};

}  // namespace corvath
