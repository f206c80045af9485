#include "qt/qt_mouse_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace corvath {
namespace {

Qt::CursorShape shapeFor(int code) {
    switch (code) {
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 5: return Qt::SizeAllCursor;
    case 6: return Qt::SizeBDiagCursor;
    case 7: return Qt::SizeVerCursor;
    case 8: return Qt::SizeFDiagCursor;
    case 9: return Qt::SizeHorCursor;
    case 10: return Qt::UpArrowCursor;
    case 11: return Qt::WaitCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    case 14: return Qt::WhatsThisCursor;
    case 15: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

}  // namespace

QtMousePointer::~QtMousePointer() {
    if (overridden_) QGuiApplication::restoreOverrideCursor();
}

void QtMousePointer::setMousePointer(int code) {
    code_ = code;
    if (code == 0) {
        if (overridden_) QGuiApplication::restoreOverrideCursor();
        overridden_ = false;
        return;
    }
    if (overridden_) {
        QGuiApplication::changeOverrideCursor(QCursor(shapeFor(code)));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(shapeFor(code)));
        overridden_ = true;
    }
}

}  // namespace corvath
