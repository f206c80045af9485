#include "qt/qt_input_drain.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QWidget>
#include <QWindow>

namespace corvath {

namespace {

// How many rounds of events the drain runs: an event handled may post more.
constexpr int kDrainRounds = 3;

class InputDropper : public QObject {
public:
    explicit InputDropper(const QWidget& window) : window_(window) {}

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        const bool input = event->isInputEvent() || event->type() == QEvent::Shortcut;
        if (!input || !aimedAtWindow(target)) return false;
        // Accepted, a shortcut override keeps the key from becoming a shortcut.
        event->accept();
        return true;
    }

private:
    bool aimedAtWindow(const QObject* target) const {
        if (const auto* widget = qobject_cast<const QWidget*>(target)) return widget->window() == &window_;
        if (const auto* window = qobject_cast<const QWindow*>(target)) return window == window_.windowHandle();
        return false;
    }

    const QWidget& window_;
};

}  // namespace

void drainInputOf(const QWidget& window) {
    InputDropper dropper(window);
    QCoreApplication::instance()->installEventFilter(&dropper);
    // Everything the user gave so far reaches the program first.
    QGuiApplication::sync();
    for (int round = 0; round < kDrainRounds; ++round) QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&dropper);
}

}  // namespace corvath
