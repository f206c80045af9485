#include "qt/qt_centered_message.h"

#include "qt/qt_translation.h"

#include "ui/centered_placement.h"
#include "ui/message_box.h"
#include "ui/twips.h"

#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <utility>
#include <vector>

namespace corvath {
namespace {

struct ButtonCode {
    QMessageBox::StandardButton button;
    int code;
};

std::vector<ButtonCode> buttonsForStyle(int style) {
    using B = QMessageBox::StandardButton;
    using namespace msgbox;
    switch (style & kButtonsMask) {
    case kOkCancel: return {{B::Ok, kOk}, {B::Cancel, kCancel}};
    case kAbortRetryIgnore: return {{B::Abort, kAbort}, {B::Retry, kRetry}, {B::Ignore, kIgnore}};
    case kYesNoCancel: return {{B::Yes, kYes}, {B::No, kNo}, {B::Cancel, kCancel}};
    case kYesNo: return {{B::Yes, kYes}, {B::No, kNo}};
    case kRetryCancel: return {{B::Retry, kRetry}, {B::Cancel, kCancel}};
    default: return {{B::Ok, kOk}};
    }
}

QMessageBox::Icon iconForStyle(int style) {
    switch (style & msgbox::kIconMask) {
    case msgbox::kIconCritical: return QMessageBox::Critical;
    case msgbox::kIconQuestion: return QMessageBox::Question;
    case msgbox::kIconExclamation: return QMessageBox::Warning;
    case msgbox::kIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// The code a box answers with when nothing was pressed: the most cautious one.
int unansweredCode(const std::vector<ButtonCode>& buttons) {
    for (const int cautious : {msgbox::kNo, msgbox::kCancel, msgbox::kAbort}) {
        for (const auto& b : buttons) {
            if (b.code == cautious) return cautious;
        }
    }
    return buttons.front().code;
}

double twipsPerPixel(const QWidget* owner, bool horizontal) {
    const QScreen* screen = owner->screen();
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return twipsPerPixelAt(dpi);
}

// The size the box settles on when it shows: before its first show it only
// knows a placeholder, and the size it takes depends on the screen under it.
// Showing it once where nobody sees it makes it settle.
QSize settledSize(QMessageBox& box) {
    box.ensurePolished();
    box.adjustSize();
    box.setAttribute(Qt::WA_DontShowOnScreen, true);
    box.show();
    box.hide();
    box.setAttribute(Qt::WA_DontShowOnScreen, false);
    return box.frameGeometry().size();
}

void placeOver(QMessageBox& box, const QWidget* owner) {
    const double tppX = twipsPerPixel(owner, true);
    const double tppY = twipsPerPixel(owner, false);
    const QRect outer = owner->frameGeometry();
    const TwipsRect ownerTwips{outer.x() * tppX, outer.y() * tppY, outer.width() * tppX, outer.height() * tppY};
    QSize size = settledSize(box);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const PixelPoint at = centeredBoxPosition(ownerTwips, tppX, tppY, size.width(), size.height());
        box.move(at.x, at.y);
        const QSize there = settledSize(box);
        if (there == size) break;
        size = there;
    }
}

}  // namespace

int showCenteredMessage(QWidget* owner, const std::string& text, int style, const std::string& title) {
    const std::string caption = title.empty() ? std::string(kProductName) : title;
    QMessageBox box(owner);
    box.setWindowTitle(translatedText(caption));
    box.setText(translatedText(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconForStyle(style));

    const auto buttons = buttonsForStyle(style);
    std::vector<std::pair<QAbstractButton*, int>> codes;
    for (const auto& b : buttons) codes.emplace_back(box.addButton(b.button), b.code);
    // Esc answers only where the platform lets it: a lone OK, or a Cancel button.
    for (const auto& b : buttons) {
        if (b.code == 2 || buttons.size() == 1) box.setEscapeButton(box.button(b.button));
    }

    if (owner != nullptr) placeOver(box, owner);
    box.exec();

    const QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, code] : codes) {
        if (button == clicked) return code;
    }
    return unansweredCode(buttons);
}

}  // namespace corvath
