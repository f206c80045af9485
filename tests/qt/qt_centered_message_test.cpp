#include "qt/qt_centered_message.h"

#include "qt/qt_test_app.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

namespace corvath {
namespace {

struct SeenBox {
    QRect frame;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton*> buttons;
    QWidget* parent = nullptr;
};

// Shows a centred box over owner and, once it is up, records it and presses the
// button chosen by press.
int showAndAnswer(QWidget* owner, const std::string& text, int style, const std::string& title, SeenBox& seen,
                  const std::function<QAbstractButton*(QMessageBox&)>& press) {
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        poll.stop();
        seen.frame = box->frameGeometry();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->buttons();
        seen.parent = box->parentWidget();
        press(*box)->click();
    });
    poll.start();
    return showCenteredMessage(owner, text, style, title);
}

class CenteredMessage : public test::QtFixture {
protected:
    void SetUp() override {
        test::qtApp();
        owner.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        owner.setFixedSize(431, 338);
        owner.move(100, 50);
        owner.show();
    }
    QWidget owner;
    SeenBox seen;
};

QAbstractButton* yes(QMessageBox& b) { return b.button(QMessageBox::Yes); }
QAbstractButton* no(QMessageBox& b) { return b.button(QMessageBox::No); }
QAbstractButton* ok(QMessageBox& b) { return b.button(QMessageBox::Ok); }

TEST_F(CenteredMessage, ReturnsThePlatformCodeOfTheButtonPressed) {
    EXPECT_EQ(showAndAnswer(&owner, "Are you sure?", 4, "Corvath Analyzer", seen, yes), 6);
    EXPECT_EQ(seen.buttons.size(), 2);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.parent, &owner);

    EXPECT_EQ(showAndAnswer(&owner, "Are you sure?", 4, "Corvath Analyzer", seen, no), 7);

    EXPECT_EQ(showAndAnswer(&owner, "Drive / cannot be read.", 64, "Corvath Analyzer", seen, ok), 1);
    EXPECT_EQ(seen.buttons.size(), 1);
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.text, "Drive / cannot be read.");
}

TEST_F(CenteredMessage, EmptyTitleGetsTheDefaultCaptionOthersStayAsGiven) {
    showAndAnswer(&owner, "text", 64, "", seen, ok);
    EXPECT_EQ(seen.title, QString(kProductName));
    showAndAnswer(&owner, "text", 64, "Something else", seen, ok);
    EXPECT_EQ(seen.title, "Something else");
}

TEST_F(CenteredMessage, NarrowBoxIsCentredOnTheWindow) {
    showAndAnswer(&owner, "Short.", 64, "Corvath Analyzer", seen, ok);
    ASSERT_LT(seen.frame.width(), 431);
    const int leftMargin = seen.frame.x() - 100;
    const int rightMargin = (100 + 431) - (seen.frame.x() + seen.frame.width());
    EXPECT_GE(leftMargin, 0);
    EXPECT_TRUE(rightMargin == leftMargin || rightMargin == leftMargin + 1)
        << leftMargin << " " << rightMargin << " box " << seen.frame.width();
    const int topMargin = seen.frame.y() - 50;
    const int bottomMargin = (50 + 338) - (seen.frame.y() + seen.frame.height());
    EXPECT_TRUE(bottomMargin == topMargin || bottomMargin == topMargin + 1) << topMargin << " " << bottomMargin;
}

TEST_F(CenteredMessage, WideBoxSticksOutEquallyWithTheOddPixelRight) {
    // A window narrower than the box, by an odd number of pixels.
    showAndAnswer(&owner, "A message wider than its window.", 64, "Corvath Analyzer", seen, ok);
    const int boxWidth = seen.frame.width();
    owner.setFixedSize(boxWidth - 41, 60);
    QApplication::processEvents();
    showAndAnswer(&owner, "A message wider than its window.", 64, "Corvath Analyzer", seen, ok);
    ASSERT_EQ(seen.frame.width(), boxWidth);
    ASSERT_GT(seen.frame.width(), owner.width());
    ASSERT_EQ((seen.frame.width() - owner.width()) % 2, 1);
    const int outLeft = 100 - seen.frame.x();
    const int outRight = (seen.frame.x() + seen.frame.width()) - (100 + owner.width());
    EXPECT_EQ(outRight, outLeft + 1);
}

TEST_F(CenteredMessage, WindowPartlyOffTheLeftEdgeStillGetsACentredBox) {
    // (A box that itself ends up off screen is covered by the arithmetic's own
    // tests: the offscreen platform shifts framed windows at negative positions.)
    owner.move(-100, 50);
    QApplication::processEvents();
    ASSERT_EQ(owner.frameGeometry().x(), -100);
    showAndAnswer(&owner, "Short.", 64, "Corvath Analyzer", seen, ok);
    const int leftMargin = seen.frame.x() - (-100);
    const int rightMargin = (-100 + 431) - (seen.frame.x() + seen.frame.width());
    EXPECT_TRUE(rightMargin == leftMargin || rightMargin == leftMargin + 1) << leftMargin << " " << rightMargin;
    EXPECT_GT(leftMargin, 0);
}

TEST_F(CenteredMessage, TheOwnersTimersKeepTickingWhileTheBoxIsOpen) {
    int ticks = 0;
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] { ++ticks; });
    progress.start(5);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && ticks >= 5) {
            poll.stop();
            box->button(QMessageBox::No)->click();
        }
    });
    poll.start(10);
    EXPECT_EQ(showCenteredMessage(&owner, "Are you sure?", 4, "Corvath Analyzer"), 7);
    EXPECT_GE(ticks, 5);
}

}  // namespace
}  // namespace corvath
