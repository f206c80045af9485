#include "qt/qt_wizard_window.h"

#include "ui/path_compaction.h"
#include "qt/qt_access_key.h"
#include "qt/qt_centered_message.h"
#include "qt/qt_translation.h"
#include "ui/message_box.h"
#include "ui/twips.h"
#include "qt/qt_look.h"
#include "qt/qt_frame.h"
#include "qt/qt_wizard_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QThread>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <vector>

namespace corvath {

namespace {

constexpr int kErrorStyle = msgbox::kOkOnly | msgbox::kIconCritical;
// The longest a paint waits for the window to reach the screen.
constexpr qint64 kExposeWaitMs = 1000;


}  // namespace

QtWizardWindow::QtWizardWindow(WizardEvents& events)
    : events_(events), form_(std::make_unique<QtWizardForm>()), list_(new QTreeWidget(form_.get())), driveList_(*list_) {
    prepareIconTheme();
    const QScreen* screen = form_->screen();
    twipsPerPixelX_ = twipsPerPixelAt(screen->logicalDotsPerInchX());
    twipsPerPixelY_ = twipsPerPixelAt(screen->logicalDotsPerInchY());

    form_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    captions_[Control::frmWizard] = kProductName;
    showCaption(Control::frmWizard);
    form_->setWindowIcon(programIcon());
    form_->setFont(dialogFont());
    form_->setFixedSize(twipsToPixels(kClientWidthTwips, twipsPerPixelX_),
                        twipsToPixels(kClientHeightTwips, twipsPerPixelY_));
    form_->onClose = [this] { onCloseBox(); };

    buildControls();
    applyTabOrder();

    // The banner's labels are drawn over its picture.
    widgets_.at(Control::Image1)->lower();

    // The banner, the separator and the buttons lie over the pages, whose own
    // borders they hide.
    for (const Control c : {Control::frmTop, Control::frmBar, Control::cmdCancel, Control::cmdNext, Control::cmdConfig}) {
        widgets_.at(c)->raise();
    }

    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { dispatch([this] { events_.onTimerTick(); }); });
}

QtWizardWindow::~QtWizardWindow() {
    timer_.stop();
    form_->onClose = nullptr;
}

QWidget* QtWizardWindow::window() const { return form_.get(); }

QWidget* QtWizardWindow::widget(Control control) const {
    if (control == Control::frmWizard) return form_.get();
    const auto it = widgets_.find(control);
    return it == widgets_.end() ? nullptr : it->second;
}

void QtWizardWindow::dispatch(const std::function<void()>& handler) {
    ++handlersRunning_;
    try {
        handler();
    } catch (const std::exception& e) {
        corvath::showCenteredMessage(form_.get(), e.what(), kErrorStyle, kProductName);
    } catch (...) {
        corvath::showCenteredMessage(form_.get(), "An unexpected error ended the operation.", kErrorStyle,
                                     kProductName);
    }
    --handlersRunning_;
    closedIfIdle();
}

void QtWizardWindow::closedIfIdle() {
    if (unloaded_ && handlersRunning_ == 0 && onClosed_) {
        auto onClosed = std::move(onClosed_);
        onClosed_ = nullptr;
        onClosed();
    }
}

void QtWizardWindow::runCheckHandler(Control control) {
    if (control == Control::chkRememberSettings) {
        events_.onRememberSettingsClick();
    } else {
        events_.onCloseWhenDoneClick();
    }
}

void QtWizardWindow::show() {
    if (unloaded_) return;
    if (!shownOnce_) {
        const QRect screen = form_->screen()->availableGeometry();
        form_->move(screen.x() + (screen.width() - form_->width()) / 2,
                    screen.y() + (screen.height() - form_->height()) / 2);
        shownOnce_ = true;
    }
    form_->show();
}

void QtWizardWindow::processEvents() { QCoreApplication::processEvents(); }

void QtWizardWindow::setFocus() {
    if (unloaded_) return;
    form_->activateWindow();
    form_->raise();
    if (form_->focusWidget() == nullptr) {
        for (const ControlDesign& design : focusOrder()) {
            QWidget* w = widgets_.at(design.name);
            if (w->isVisibleTo(form_.get()) && w->isEnabled()) {
                w->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
}

void QtWizardWindow::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    timer_.stop();
    closingByCode_ = true;
    form_->close();
    form_->hide();
    closingByCode_ = false;
    events_.onUnload(false);
    closedIfIdle();
}

void QtWizardWindow::onCloseBox() {
    if (closingByCode_ || unloaded_) return;
    unloaded_ = true;
    timer_.stop();
    dispatch([this] { events_.onUnload(true); });
}

void QtWizardWindow::setVisible(Control control, bool visible) {
    if (unloaded_) return;
    if (control == Control::frmWizard) {
        if (visible) {
            show();
        } else {
            form_->hide();
        }
        return;
    }
    if (QWidget* w = widget(control)) w->setVisible(visible);
}

bool QtWizardWindow::isVisible(Control control) const {
    if (control == Control::tmrProgress) return true;
    const QWidget* w = widget(control);
    return w != nullptr && !w->isHidden();
}

void QtWizardWindow::setEnabled(Control control, bool enabled) {
    if (unloaded_) return;
    if (control == Control::tmrProgress) {
        setTimerEnabled(enabled);
        return;
    }
    QWidget* w = widget(control);
    if (w == nullptr) return;
    const bool lendsFocus = !enabled && form_->focusWidget() == w;
    w->setEnabled(enabled);
    if (lendsFocus) {
        focusLentBy_ = w;
        focusLentTo_ = form_->focusWidget();
    } else if (enabled && w == focusLentBy_) {
        if (form_->focusWidget() == focusLentTo_) w->setFocus(Qt::OtherFocusReason);
        focusLentBy_ = nullptr;
        focusLentTo_ = nullptr;
    }
}

bool QtWizardWindow::isEnabled(Control control) const {
    if (control == Control::tmrProgress) return timerEnabled_;
    const QWidget* w = widget(control);
    return w != nullptr && w->isEnabled();
}

void QtWizardWindow::bringToFront(Control control) {
    if (unloaded_) return;
    if (QWidget* w = widget(control)) w->raise();
}

void QtWizardWindow::sendToBack(Control control) {
    if (unloaded_) return;
    if (control == Control::frmWizard) return;
    if (QWidget* w = widget(control)) w->lower();
}

void QtWizardWindow::refresh(Control control) {
    if (unloaded_) return;
    QWidget* w = widget(control);
    if (w == nullptr) return;
    // A window shown a moment ago may not be on the screen yet, and what is
    // painted before it is would be lost: wait for it, a little. Input waits
    // meanwhile, as it does while any paint runs.
    const QWindow* handle = form_->windowHandle();
    QElapsedTimer waited;
    waited.start();
    while (form_->isVisible() && handle != nullptr && !handle->isExposed() && waited.elapsed() < kExposeWaitMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    w->repaint();
}

void QtWizardWindow::setCaption(Control control, const std::string& caption) {
    if (unloaded_) return;
    captions_[control] = caption;
    showCaption(control);
}

void QtWizardWindow::showCaption(Control control) {
    const std::string& caption = captions_[control];
    // The folder being scanned is a name, shown as it is; every other caption
    // is a text of the window, shown in the user's language.
    const QString text = control == Control::lblFolderName ? QString::fromStdString(caption) : translatedText(caption);
    QWidget* w = widget(control);
    if (control == Control::frmWizard) {
        form_->setWindowTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(withAccessKey(caption, text, englishAccessKey(control)));
        // A tick box's room depends on its text.
        if (qobject_cast<QCheckBox*>(w) != nullptr) placeControl(control);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (control != Control::Image1) label->setText(text);
        if (control == Control::lblTitle || control == Control::lblDesc) placeControl(control);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* frame = dynamic_cast<QtFrame*>(w)) {
        frame->setCaption(text);
    }
}

std::string QtWizardWindow::caption(Control control) const {
    // The caption as the window logic set it, in English, whatever is shown.
    const auto it = captions_.find(control);
    return it == captions_.end() ? std::string() : it->second;
}

int QtWizardWindow::left(Control control) const {
    if (control == Control::frmWizard) {
        return roundHalfEven(form_->frameGeometry().x() * twipsPerPixelX_);
    }
    const auto it = geometry_.find(control);
    return it == geometry_.end() ? 0 : it->second.left;
}

void QtWizardWindow::setLeft(Control control, int twips) {
    if (unloaded_) return;
    if (control == Control::frmWizard) {
        form_->move(twipsToPixels(twips, twipsPerPixelX_), form_->y());
        return;
    }
    const auto it = geometry_.find(control);
    if (it == geometry_.end() || control == Control::tmrProgress) return;
    it->second.left = twips;
    placeControl(control);
}

int QtWizardWindow::width(Control control) const {
    if (control == Control::frmWizard) {
        return roundHalfEven(form_->frameGeometry().width() * twipsPerPixelX_);
    }
    const auto it = geometry_.find(control);
    return it == geometry_.end() ? 0 : it->second.width;
}

int QtWizardWindow::value(Control control) const {
    const QWidget* w = widget(control);
    if (const auto* box = qobject_cast<const QCheckBox*>(w)) {
        switch (box->checkState()) {
        case Qt::Unchecked: return check_state::kUnchecked;
        case Qt::PartiallyChecked: return check_state::kGrayed;
        case Qt::Checked: return check_state::kChecked;
        }
    }
    if (const auto* bar = qobject_cast<const QProgressBar*>(w)) return bar->value();
    return 0;
}

void QtWizardWindow::setValue(Control control, int value) {
    if (unloaded_) return;
    QWidget* w = widget(control);
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        const Qt::CheckState state = value == check_state::kUnchecked ? Qt::Unchecked
                                     : value == check_state::kGrayed  ? Qt::PartiallyChecked
                                                                      : Qt::Checked;
        if (box->checkState() == state) return;
        {
            // The handler runs here, directly, so that a failure it reports reaches
            // the code that set the box rather than unwinding through the toolkit.
            const QSignalBlocker blocker(box);
            if (state == Qt::PartiallyChecked) box->setTristate(true);
            box->setCheckState(state);
        }
        runCheckHandler(control);
    } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        // The bar would silently ignore a value outside its range.
        bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
    }
}

void QtWizardWindow::setWordWrap(Control control, bool wrap) {
    if (unloaded_) return;
    if (auto* label = qobject_cast<QLabel*>(widget(control))) label->setWordWrap(wrap);
}

void QtWizardWindow::applyTimer() {
    // An interval of 0 means no ticks, whereas a zero-interval QTimer would spin.
    if (!unloaded_ && timerEnabled_ && timerInterval_ > 0) {
        timer_.start(timerInterval_);
    } else {
        timer_.stop();
    }
}

void QtWizardWindow::setTimerEnabled(bool enabled) {
    if (unloaded_) return;
    if (enabled == timerEnabled_) return;
    timerEnabled_ = enabled;
    applyTimer();
}

void QtWizardWindow::setTimerInterval(int milliseconds) {
    if (unloaded_) return;
    timerInterval_ = std::max(0, milliseconds);
    applyTimer();
}

void QtWizardWindow::enableListCheckBoxes() {
    if (unloaded_) return;
    driveList_.enableCheckBoxes();
}

void QtWizardWindow::setListColumnWidth(int twips) {
    if (unloaded_) return;
    list_->setColumnWidth(0, std::max(0, twipsToPixels(twips, twipsPerPixelX_)));
}

int QtWizardWindow::twipsPerPixelX() const { return roundHalfEven(twipsPerPixelX_); }

std::string QtWizardWindow::compactPath(const std::string& path, int widthPixels) const {
    const QFontMetrics metrics(widgets_.at(Control::lblFolderName)->font());
    return corvath::compactPath(path, widthPixels, [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    });
}

char QtWizardWindow::englishAccessKey(Control control) {
    // The first letter, unless another control on the same page has it.
    switch (control) {
    case Control::chkCloseWhenDone: return 'd';  // Cancel has the C
    case Control::cmdConfig: return 'o';
    default: return 0;
    }
}

int QtWizardWindow::showCenteredMessage(const std::string& text, int style, const std::string& title) {
    return corvath::showCenteredMessage(form_.get(), text, style, title);
}

}  // namespace corvath
