#include "qt/qt_mouse_pointer.h"

#include "qt/qt_test_app.h"
#include "ui/wait_cursor.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

namespace corvath {
namespace {

const QCursor* override() { return QGuiApplication::overrideCursor(); }

class MousePointerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        while (override() != nullptr) QGuiApplication::restoreOverrideCursor();
    }
};

TEST_F(MousePointerTest, CodesMapOntoTheOverrideCursor) {
    QtMousePointer pointer;
    EXPECT_EQ(pointer.mousePointer(), 0);
    EXPECT_EQ(override(), nullptr);
    pointer.setMousePointer(11);
    ASSERT_NE(override(), nullptr);
    EXPECT_EQ(override()->shape(), Qt::WaitCursor);
    pointer.setMousePointer(1);
    ASSERT_NE(override(), nullptr);
    EXPECT_EQ(override()->shape(), Qt::ArrowCursor);
    EXPECT_EQ(pointer.mousePointer(), 1);
    pointer.setMousePointer(0);
    EXPECT_EQ(override(), nullptr);
}

TEST_F(MousePointerTest, WaitCursorRestoresThePointerFoundAtCreation) {
    QtMousePointer pointer;
    {
        WaitCursor wait(pointer);
        wait.SetCursor(11);
        EXPECT_EQ(override()->shape(), Qt::WaitCursor);
        wait.SetCursor(1);
    }
    EXPECT_EQ(pointer.mousePointer(), 0);
    EXPECT_EQ(override(), nullptr);

    pointer.setMousePointer(1);
    {
        WaitCursor wait(pointer);
        wait.SetCursor(11);
        wait.SetCursor(13);
        wait.Restore();
        EXPECT_EQ(override()->shape(), Qt::ArrowCursor);
    }
    EXPECT_EQ(pointer.mousePointer(), 1);
    pointer.setMousePointer(0);
}

TEST_F(MousePointerTest, LeavesOverridesOfOthersAlone) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    {
        QtMousePointer pointer;
        pointer.setMousePointer(11);
        pointer.setMousePointer(0);
        ASSERT_NE(override(), nullptr);
        EXPECT_EQ(override()->shape(), Qt::CrossCursor);
        pointer.setMousePointer(11);
    }  // going away removes its own override only
    ASSERT_NE(override(), nullptr);
    EXPECT_EQ(override()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace
}  // namespace corvath
