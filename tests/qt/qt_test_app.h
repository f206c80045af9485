#pragma once

#include <QApplication>

namespace corvath::test {

// The one QApplication of a test program, made on first use. Closing a test's
// last window must not quit it.
inline QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "corvath-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return a;
    }();
    return *app;
}

}  // namespace corvath::test

#include <gtest/gtest.h>

namespace corvath::test {

// A fixture whose members may be widgets: the application exists before them.
class QtFixture : public ::testing::Test {
protected:
    QtFixture() { qtApp(); }
};

}  // namespace corvath::test
