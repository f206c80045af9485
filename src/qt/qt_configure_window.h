#pragma once

#include <QDialog>

namespace corvath {

// The settings dialog the window's design declares: a fixed dialog with its
// caption and size and no controls yet. Nothing in the program shows it.
class QtConfigureWindow : public QDialog {
public:
    explicit QtConfigureWindow(QWidget* owner);
};

}  // namespace corvath
