#pragma once

#include <QCloseEvent>
#include <QWidget>

#include <functional>

namespace corvath {

// The top-level widget; it only tells its owner about a close request.
class QtWizardForm : public QWidget {
public:
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (onClose) onClose();
        event->accept();
    }
};

}  // namespace corvath
