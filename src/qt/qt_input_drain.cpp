#include "qt/qt_input_drain.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>
#include <QWindow>

namespace corvath {

namespace {

// How many rounds of events the drain runs: an event handled may post more.
constexpr int kDrainRounds = 3;

class InputDropper : public QObject {
public:
    InputDropper(const QWidget& window, const QAbstractButton* keptClick) : window_(window), keptClick_(keptClick) {}

    bool keptButtonClicked() const { return clicked_; }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        const bool input = event->isInputEvent() || event->type() == QEvent::Shortcut;
        if (!input || !aimedAtWindow(target)) return false;
        noteClick(*event);
        // Accepted, a shortcut override keeps the key from becoming a shortcut.
        event->accept();
        return true;
    }

private:
    // A left press and release both on the kept button make a click, as they
    // would for the button itself.
    void noteClick(const QEvent& event) {
        const bool press = event.type() == QEvent::MouseButtonPress;
        if (keptClick_ == nullptr || (!press && event.type() != QEvent::MouseButtonRelease)) return;
        const auto& mouse = static_cast<const QMouseEvent&>(event);
        if (mouse.button() != Qt::LeftButton) return;
        const bool onButton = keptClick_->isEnabled() && keptClick_->isVisible() &&
                              keptClick_->rect().contains(keptClick_->mapFromGlobal(mouse.globalPosition().toPoint()));
        if (press) {
            pressedOnButton_ = onButton;
        } else {
            clicked_ = clicked_ || (pressedOnButton_ && onButton);
            pressedOnButton_ = false;
        }
    }

    bool aimedAtWindow(const QObject* target) const {
        if (const auto* widget = qobject_cast<const QWidget*>(target)) return widget->window() == &window_;
        if (const auto* window = qobject_cast<const QWindow*>(target)) return window == window_.windowHandle();
        return false;
    }

    const QWidget& window_;
    const QAbstractButton* keptClick_;
    bool pressedOnButton_ = false;
    bool clicked_ = false;
};

}  // namespace

void drainInputOf(const QWidget& window, QAbstractButton* keptClick) {
    InputDropper dropper(window, keptClick);
    QCoreApplication::instance()->installEventFilter(&dropper);
    // Everything the user gave so far reaches the program first.
    QGuiApplication::sync();
    for (int round = 0; round < kDrainRounds; ++round) QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&dropper);
    if (dropper.keptButtonClicked()) {
        QMetaObject::invokeMethod(keptClick, &QAbstractButton::click, Qt::QueuedConnection);
    }
}

}  // namespace corvath
