#include "qt/qt_wizard_window.h"

#include "qt/qt_centered_message.h"
#include "qt/qt_input_drain.h"
#include "qt/qt_look.h"
#include "qt/qt_tick_box_style.h"
#include "qt/qt_accessible_roles.h"
#include "qt/qt_wizard_form.h"
#include "ui/message_box.h"
#include "ui/path_compaction.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QScreen>
#include <QThread>
#include <QTreeWidget>
#include <QWindow>

namespace corvath {

namespace {

// The longest a paint waits for the window to reach the screen.
constexpr qint64 kExposeWaitMs = 1000;

}  // namespace

QtWizardWindow::QtWizardWindow(WizardEvents& events)
    : WizardWindowCore(events),
      form_(std::make_unique<QtWizardForm>()),
      list_(new QTreeWidget(form_.get())),
      tickBoxStyle_(new QtTickBoxStyle()),
      driveList_(*list_) {
    tickBoxStyle_->setParent(list_);
    prepareIconTheme();
    const QScreen* screen = form_->screen();
    const double twipsPerPixelX = twipsPerPixelAt(screen->logicalDotsPerInchX());
    const double twipsPerPixelY = twipsPerPixelAt(screen->logicalDotsPerInchY());
    setTwipsPerPixel(twipsPerPixelX, twipsPerPixelY);

    form_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    form_->setWindowIcon(programIcon());
    form_->setFont(dialogFont());
    form_->setFixedSize(twipsToPixels(kClientWidthTwips, twipsPerPixelX),
                        twipsToPixels(kClientHeightTwips, twipsPerPixelY));
    form_->onClose = [this] {
        if (!closingByCode_) closeBoxPressed();
    };

    installAccessibleRoles();
    buildControls();
    nameControls();
    applyTabOrder();
    connectEvents();

    timer_.setTimerType(Qt::CoarseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { timerFired(); });
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

void QtWizardWindow::processEvents() { QCoreApplication::processEvents(); }

void QtWizardWindow::showWindow() { form_->show(); }

void QtWizardWindow::hideWindow() {
    closingByCode_ = true;
    form_->close();
    form_->hide();
    closingByCode_ = false;
}

void QtWizardWindow::activateWindow() {
    form_->activateWindow();
    form_->raise();
}

QtWizardWindow::PixelRect QtWizardWindow::windowFrame() const {
    const QRect frame = form_->frameGeometry();
    return {frame.x(), frame.y(), frame.width(), frame.height()};
}

QtWizardWindow::PixelRect QtWizardWindow::workArea() const {
    const QRect area = form_->screen()->availableGeometry();
    return {area.x(), area.y(), area.width(), area.height()};
}

void QtWizardWindow::moveWindow(int left, int top) { form_->move(left, top); }

void QtWizardWindow::paintNow(Control control) {
    QWidget* w = widget(control);
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

void QtWizardWindow::dropQueuedInput() {
    drainInputOf(*form_, static_cast<QAbstractButton*>(widget(Control::cmdCancel)));
}

void QtWizardWindow::startTimer(int milliseconds) { timer_.start(milliseconds); }

void QtWizardWindow::stopTimer() { timer_.stop(); }

std::optional<Control> QtWizardWindow::focusedControl() const {
    const QWidget* focused = form_->focusWidget();
    for (const auto& [control, w] : widgets_) {
        if (w == focused) return control;
    }
    return std::nullopt;
}

bool QtWizardWindow::canTakeFocus(Control control) const {
    const QWidget* w = widget(control);
    return w->isVisibleTo(form_.get()) && w->isEnabled();
}

void QtWizardWindow::giveFocus(Control control) { widget(control)->setFocus(Qt::OtherFocusReason); }

std::string QtWizardWindow::compactPath(const std::string& path, int widthPixels) const {
    const QFontMetrics metrics(widget(Control::lblFolderName)->font());
    return corvath::compactPath(path, widthPixels, [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    });
}

int QtWizardWindow::showCenteredMessage(const std::string& text, int style, const std::string& title) {
    return corvath::showCenteredMessage(form_.get(), text, style, title);
}

}  // namespace corvath
