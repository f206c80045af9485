#include "wizard/wizard_window_core.h"

#include "ui/message_box.h"
#include "ui/twips.h"

#include <algorithm>
#include <exception>
#include <limits>

namespace corvath {

namespace {

constexpr int kErrorStyle = msgbox::kOkOnly | msgbox::kIconCritical;
// Shown for a failure that carries no text of its own.
constexpr const char* kUnexpectedFailure = "An unexpected error ended the operation.";

bool isWindowOrTimer(Control control) { return control == Control::frmWizard || control == Control::tmrProgress; }

}  // namespace

WizardWindowCore::WizardWindowCore(WizardEvents& events) : events_(events) {
    captions_[Control::frmWizard] = kProductName;
    for (const ControlDesign& design : kWizardControls) {
        designs_.emplace(design.name, design);
        captions_[design.name] = design.caption;
    }
}

void WizardWindowCore::setTwipsPerPixel(double x, double y) {
    twipsPerPixelX_ = x;
    twipsPerPixelY_ = y;
}

void WizardWindowCore::buildControls() {
    showCaption(Control::frmWizard, captions_.at(Control::frmWizard));
    for (const ControlDesign& design : kWizardControls) {
        if (design.kind == ControlKind::Timer) continue;
        makeControl(design);
        showCaption(design.name, design.caption);
        placeControl(design.name);
        setActive(design.name, design.enabled);
        setShown(design.name, design.visible);
    }
    // The banner's labels are drawn over its picture.
    lower(Control::Image1);
    for (const Control over : kOverPages) raise(over);
}

const std::string& WizardWindowCore::englishCaption(Control control) const { return captions_.at(control); }

void WizardWindowCore::placeControl(Control control) {
    const ControlDesign& d = designs_.at(control);
    PixelRect rect{twipsToPixels(d.left, twipsPerPixelX_), twipsToPixels(d.top, twipsPerPixelY_),
                   twipsToPixels(d.width, twipsPerPixelX_), twipsToPixels(d.height, twipsPerPixelY_)};
    if ((d.looks & look::kGrowsWithText) != 0) {
        // Wider to the right; taller about the middle, so that the rectangle's
        // centre stays where it was laid out.
        const PixelSize room = textRoom(control);
        const int widest = std::max(rect.width, widestBeforeArtwork(control, rect.left));
        const bool wraps = d.kind == ControlKind::Label && room.width > widest;
        if (d.kind == ControlKind::Label) setLabelWrap(control, wraps);
        if (wraps) {
            // Onto more lines, downward, rather than over the banner's artwork.
            rect.width = widest;
            rect.height = std::max(rect.height, wrappedTextHeight(control, widest));
        } else {
            rect.width = std::max(rect.width, room.width);
        }
        if (room.height > rect.height) {
            rect.top -= (room.height - rect.height) / 2;
            rect.height = room.height;
        }
    }
    placeAt(control, rect);
}

int WizardWindowCore::widestBeforeArtwork(Control control, int leftPixels) const {
    if (!liesOnWhite(designs_.at(control))) return std::numeric_limits<int>::max();
    const int artwork = designs_.at(Control::Image1).left + kBannerArtworkOffsetTwips;
    return twipsToPixels(artwork, twipsPerPixelX_) - leftPixels;
}

void WizardWindowCore::clicked(Control control) {
    if (unloaded_) return;
    switch (control) {
    case Control::cmdNext:
        dispatch([this] { events_.onNextClick(); });
        break;
    case Control::cmdCancel:
        dispatch([this] { events_.onCancelClick(); });
        break;
    case Control::chkRememberSettings:
    case Control::chkCloseWhenDone:
        dispatch([this, control] { runCheckHandler(control); });
        break;
    default:
        break;
    }
}

void WizardWindowCore::runCheckHandler(Control control) {
    if (control == Control::chkRememberSettings) {
        events_.onRememberSettingsClick();
    } else {
        events_.onCloseWhenDoneClick();
    }
}

void WizardWindowCore::dispatch(const std::function<void()>& handler) {
    ++handlersRunning_;
    try {
        handler();
    } catch (const std::exception& e) {
        showCenteredMessage(e.what(), kErrorStyle, kProductName);
    } catch (...) {
        showCenteredMessage(kUnexpectedFailure, kErrorStyle, kProductName);
    }
    --handlersRunning_;
    closedIfIdle();
}

void WizardWindowCore::closedIfIdle() {
    if (unloaded_ && handlersRunning_ == 0 && onClosed_) {
        auto onClosed = std::move(onClosed_);
        onClosed_ = nullptr;
        onClosed();
    }
}

void WizardWindowCore::show() {
    if (unloaded_) return;
    if (!shownOnce_) {
        // Centred on the screen's work area the first time.
        const PixelRect frame = windowFrame();
        const PixelRect area = workArea();
        moveWindow(area.left + (area.width - frame.width) / 2, area.top + (area.height - frame.height) / 2);
        shownOnce_ = true;
    }
    showWindow();
}

void WizardWindowCore::setFocus() {
    if (unloaded_) return;
    activateWindow();
    if (focusedControl()) return;
    for (const ControlDesign& d : focusOrder()) {
        if (canTakeFocus(d.name)) {
            giveFocus(d.name);
            break;
        }
    }
}

void WizardWindowCore::setFocus(Control control) {
    if (!unloaded_ && !isWindowOrTimer(control) && canTakeFocus(control)) giveFocus(control);
}

bool WizardWindowCore::holds(Control container, Control control) const {
    for (Control c = control; c != Control::frmWizard; c = designs_.at(c).container) {
        if (c == container) return true;
    }
    return false;
}

void WizardWindowCore::moveFocus(bool backwards) { moveFocusFrom(focusedControl(), backwards); }

// Some toolkits pass the focus on themselves when its control is hidden or
// disabled; the others drop it, and then it is passed on here.
void WizardWindowCore::moveFocusFrom(std::optional<Control> focused, bool backwards) {
    const std::vector<ControlDesign> order = focusOrder();
    const int n = static_cast<int>(order.size());
    int at = -1;
    // A control outside the order (a page) stands where its tab index puts it.
    const int tabIndex = focused && *focused != Control::frmWizard ? designs_.at(*focused).tabIndex : -1;
    for (int i = 0; i < n; ++i) {
        const ControlDesign& d = order[static_cast<std::size_t>(i)];
        if (d.name == focused || d.tabIndex < tabIndex) at = i;
    }
    for (int step = 1; step <= n; ++step) {
        const int next = ((at < 0 ? (backwards ? 0 : -1) : at) + (backwards ? -step : step) + 2 * n) % n;
        const Control c = order[static_cast<std::size_t>(next)].name;
        if (canTakeFocus(c)) {
            giveFocus(c);
            return;
        }
    }
}

void WizardWindowCore::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    applyTimer();
    hideWindow();
    events_.onUnload(false);
    closedIfIdle();
}

void WizardWindowCore::closeBoxPressed() {
    if (unloaded_) return;
    unloaded_ = true;
    applyTimer();
    hideWindow();
    dispatch([this] { events_.onUnload(true); });
}

void WizardWindowCore::setVisible(Control control, bool visible) {
    if (unloaded_ || control == Control::tmrProgress) return;
    if (control != Control::frmWizard) {
        // A page hidden with the focus in it counts too: left there, the focus
        // would come back, when the window is activated again, to whatever
        // follows in the toolkit's own order.
        const std::optional<Control> focused = focusedControl();
        const bool hidesFocus = !visible && focused && holds(control, *focused);
        setShown(control, visible);
        // The focus goes on to the next control rather than nowhere, so that
        // Enter and Space still reach one.
        // The toolkit's own choice stands for a control, not for a page:
        // the next control in the window's tab order gets the focus.
        if (hidesFocus) {
            const std::optional<Control> now = focusedControl();
            if (!now || holds(control, *now) || control != *focused) moveFocusFrom(control, false);
        }
    } else if (visible) {
        show();
    } else {
        hideWindow();
    }
}

bool WizardWindowCore::isVisible(Control control) const {
    return control == Control::tmrProgress || isShown(control);
}

void WizardWindowCore::setEnabled(Control control, bool enabled) {
    if (unloaded_) return;
    if (control == Control::tmrProgress) {
        setTimerEnabled(enabled);
        return;
    }
    const bool lendsFocus = !enabled && focusedControl() == control;
    setActive(control, enabled);
    if (lendsFocus) {
        const std::optional<Control> now = focusedControl();
        if (!now || now == control) moveFocusFrom(control, false);
        focusLentBy_ = control;
        focusLentTo_ = focusedControl();
    } else if (enabled && focusLentBy_ == control) {
        if (focusedControl() == focusLentTo_) giveFocus(control);
        focusLentBy_.reset();
        focusLentTo_.reset();
    }
}

bool WizardWindowCore::isEnabled(Control control) const {
    return control == Control::tmrProgress ? timerEnabled_ : isActive(control);
}

void WizardWindowCore::bringToFront(Control control) {
    if (!unloaded_ && !isWindowOrTimer(control)) raise(control);
}

void WizardWindowCore::sendToBack(Control control) {
    if (!unloaded_ && !isWindowOrTimer(control)) lower(control);
}

void WizardWindowCore::discardInput() {
    if (!unloaded_) dropQueuedInput();
}

void WizardWindowCore::refresh(Control control) {
    if (!unloaded_ && control != Control::tmrProgress) paintNow(control);
}

void WizardWindowCore::setCaption(Control control, const std::string& caption) {
    if (unloaded_) return;
    captions_[control] = caption;
    showCaption(control, caption);
    if (control != Control::frmWizard && (designs_.at(control).looks & look::kGrowsWithText) != 0) {
        placeControl(control);
    }
}

std::string WizardWindowCore::caption(Control control) const {
    const auto it = captions_.find(control);
    return it == captions_.end() ? std::string() : it->second;
}

int WizardWindowCore::left(Control control) const {
    if (control == Control::frmWizard) return roundHalfEven(windowFrame().left * twipsPerPixelX_);
    return designs_.at(control).left;
}

void WizardWindowCore::setLeft(Control control, int twips) {
    if (unloaded_ || control == Control::tmrProgress) return;
    if (control == Control::frmWizard) {
        moveWindow(twipsToPixels(twips, twipsPerPixelX_), windowFrame().top);
        return;
    }
    designs_.at(control).left = twips;
    placeControl(control);
}

int WizardWindowCore::width(Control control) const {
    if (control == Control::frmWizard) return roundHalfEven(windowFrame().width * twipsPerPixelX_);
    return designs_.at(control).width;
}

int WizardWindowCore::value(Control control) const {
    if (control == Control::frmWizard) return 0;
    switch (designs_.at(control).kind) {
    case ControlKind::CheckBox: return checkState(control);
    case ControlKind::ProgressBar: return barValue(control);
    default: return 0;
    }
}

void WizardWindowCore::setValue(Control control, int value) {
    if (unloaded_ || control == Control::frmWizard) return;
    const ControlKind kind = designs_.at(control).kind;
    if (kind == ControlKind::CheckBox) {
        const int state = value == check_state::kUnchecked ? check_state::kUnchecked
                          : value == check_state::kGrayed  ? check_state::kGrayed
                                                           : check_state::kChecked;
        if (checkState(control) == state) return;
        setCheckState(control, state);
        // The handler runs here, directly, so that a failure it reports reaches
        // the code that set the box rather than unwinding through the toolkit.
        runCheckHandler(control);
    } else if (kind == ControlKind::ProgressBar) {
        // Shown as an empty or a full bar rather than ignored.
        setBarValue(control, std::clamp(value, 0, 100));
    }
}

void WizardWindowCore::setWordWrap(Control control, bool wrap) {
    if (unloaded_ || control == Control::frmWizard) return;
    const ControlDesign& d = designs_.at(control);
    // A right-aligned label and one that grows with its text keep their one line.
    if (d.kind == ControlKind::Label && (d.looks & (look::kRightAligned | look::kGrowsWithText)) == 0) {
        setLabelWrap(control, wrap);
    }
}

void WizardWindowCore::applyTimer() {
    // An interval of 0 means no ticks.
    const bool ticks = !unloaded_ && timerEnabled_ && timerInterval_ > 0;
    if (ticks) {
        startTimer(timerInterval_);
    } else {
        stopTimer();
    }
    timerRunning_ = ticks;
}

void WizardWindowCore::timerFired() {
    if (timerRunning_) dispatch([this] { events_.onTimerTick(); });
}

void WizardWindowCore::setTimerEnabled(bool enabled) {
    if (unloaded_ || enabled == timerEnabled_) return;
    timerEnabled_ = enabled;
    applyTimer();
}

void WizardWindowCore::setTimerInterval(int milliseconds) {
    if (unloaded_) return;
    timerInterval_ = std::max(0, milliseconds);
    applyTimer();
}

void WizardWindowCore::enableListCheckBoxes() {
    if (!unloaded_) setListCheckBoxes();
}

void WizardWindowCore::setListColumnWidth(int twips) {
    if (!unloaded_) setListColumnPixels(std::max(0, twipsToPixels(twips, twipsPerPixelX_)));
}

int WizardWindowCore::twipsPerPixelX() const { return roundHalfEven(twipsPerPixelX_); }

}  // namespace corvath
