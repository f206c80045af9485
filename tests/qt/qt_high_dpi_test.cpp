// The window at any scale (this program runs also with QT_SCALE_FACTOR=2): tick
// boxes draw whole on their laid-out rectangles, and icons stay sharp, the
// drawn PNG at its own size and the SVG at every other.
#include "qt/qt_look.h"
#include "wizard/recording_events.h"
#include "qt/qt_test_app.h"
#include "qt/qt_wizard_window.h"
#include "ui/twips.h"
#include "wizard/wizard_layout.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QImageReader>
#include <QStyle>
#include <QStyleOptionButton>

namespace corvath {
namespace {

class HighDpi : public test::QtFixture {
protected:
    test::RecordingEvents events;
    QtWizardWindow window{events};
};

TEST_F(HighDpi, TickBoxesDrawWholeCentredOnTheirLaidOutRectangles) {
    for (const ControlDesign& design : kWizardControls) {
        if (design.kind != ControlKind::CheckBox) continue;
        SCOPED_TRACE(design.caption);
        auto* box = static_cast<QCheckBox*>(window.widget(design.name));
        EXPECT_GE(box->height(), box->sizeHint().height());
        EXPECT_GE(box->width(), box->sizeHint().width());
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        for (const auto element : {QStyle::SE_CheckBoxIndicator, QStyle::SE_CheckBoxContents}) {
            EXPECT_TRUE(box->rect().contains(box->style()->subElementRect(element, &option, box))) << element;
        }
        // The layout's rectangle stays where it was: the box grows about its middle.
        const QRect laid(twipsToPixels(design.left, 15), twipsToPixels(design.top, 15), twipsToPixels(design.width, 15),
                         twipsToPixels(design.height, 15));
        EXPECT_EQ(box->x(), laid.x());
        EXPECT_LE(std::abs(box->geometry().center().y() - laid.center().y()), 1);
        EXPECT_EQ(window.left(design.name), design.left);
        EXPECT_EQ(window.width(design.name), design.width);
    }
}

QImage pixels(const QIcon& icon, int size, qreal ratio) {
    return icon.pixmap(QSize(size, size), ratio).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage pixels(const QString& file) { return QImage(file).convertToFormat(QImage::Format_ARGB32_Premultiplied); }

TEST_F(HighDpi, IconsShowTheDrawnPngAtItsSizeAndTheSvgAtEveryOther) {
    if (!QImageReader::supportedImageFormats().contains("svg")) {
        GTEST_SKIP() << "Qt's SVG plugins are not installed (apt-get install libqt6svg6)";
    }
    const QIcon drive = shippedDriveIcon(QStringLiteral("media-memory"));
    const QIcon svg(QStringLiteral(":/corvath/drives/media-memory.svg"));
    EXPECT_EQ(pixels(drive, 16, 1.0), pixels(QStringLiteral(":/corvath/drives/media-memory.png")));
    // The same 16-pixel icon on a screen scaled by 2 has 32 device pixels,
    // rendered from the SVG rather than the PNG blown up.
    const QImage doubled = pixels(drive, 16, 2.0);
    EXPECT_EQ(doubled.size(), QSize(32, 32));
    EXPECT_EQ(doubled, pixels(svg, 32, 1.0));

    const QIcon program = programIcon();
    for (const int drawn : {16, 32, 48, 128}) {
        EXPECT_EQ(pixels(program, drawn, 1.0), pixels(QStringLiteral(":/corvath/icons/corvath-%1.png").arg(drawn)))
            << drawn;
    }
    EXPECT_EQ(pixels(program, 64, 1.0), pixels(QIcon(QStringLiteral(":/corvath/icons/corvath.svg")), 64, 1.0));
    // An unknown kind gets the hard disk.
    EXPECT_EQ(pixels(shippedDriveIcon(QStringLiteral("no-such-kind")), 16, 1.0),
              pixels(QStringLiteral(":/corvath/drives/drive-harddisk.png")));
}

}  // namespace
}  // namespace corvath
