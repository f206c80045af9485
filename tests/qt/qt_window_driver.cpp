// The Qt wizard window for the window contract suite.
#include "qt/qt_wizard_window.h"

#include "qt/qt_test_app.h"
#include "wizard/wizard_window_contract.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace corvath::test {
namespace {

class QtWindowDriver : public WindowDriver {
public:
    explicit QtWindowDriver(WizardEvents& events) : window_((qtApp(), events)) {
        // A box that no test answers would wait for a user for ever.
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (seen_) {
                    seen_(box->text().toStdString());
                } else {
                    ADD_FAILURE() << "an unexpected message box was open: " << box->text().toStdString();
                }
                box->buttons().front()->click();
            }
        });
        poll_.start(10);
    }

    WizardWindowCore& window() override { return window_; }

    void click(Control control) override {
        QWidget* w = window_.widget(control);
        // A tick box is clicked on its box, at its left.
        const QPoint at = control == Control::chkRememberSettings || control == Control::chkCloseWhenDone
                              ? QPoint(6, w->height() / 2)
                              : w->rect().center();
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
    }

    void focus(Control control) override {
        QApplication::setActiveWindow(window_.window());
        window_.widget(control)->setFocus(Qt::OtherFocusReason);
    }

    void pressAlt(char key) override {
        QApplication::setActiveWindow(window_.window());
        QWidget* target = window_.window()->focusWidget();
        QTest::keyClick(target != nullptr ? target : window_.window(), key, Qt::AltModifier);
    }

    void pressCloseBox() override { window_.window()->close(); }

    void runEventsFor(std::chrono::milliseconds duration) override {
        QTest::qWait(static_cast<int>(duration.count()));
    }

    bool onScreen() const override { return window_.window()->isVisible(); }

    Rect clientSize() const override { return {0, 0, window_.window()->width(), window_.window()->height()}; }

    Rect rectInWindow(Control control) const override {
        const QWidget* w = window_.widget(control);
        const QPoint origin = w->mapTo(window_.window(), QPoint(0, 0));
        return {origin.x(), origin.y(), w->width(), w->height()};
    }

    std::optional<Control> focused() const override {
        const QWidget* f = window_.window()->focusWidget();
        for (const ControlDesign& d : kWizardControls) {
            if (d.kind != ControlKind::Timer && window_.widget(d.name) == f) return d.name;
        }
        return std::nullopt;
    }

    bool isBold(Control control) const override { return window_.widget(control)->font().bold(); }

    void answerMessageBoxes(std::function<void(const std::string&)> seen) override { seen_ = std::move(seen); }

private:
    QtWizardWindow window_;
    QTimer poll_;
    std::function<void(const std::string&)> seen_;
};

}  // namespace

std::unique_ptr<WindowDriver> makeWindowDriver(WizardEvents& events) {
    return std::make_unique<QtWindowDriver>(events);
}

}  // namespace corvath::test
