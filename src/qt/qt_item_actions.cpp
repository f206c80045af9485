#include "qt/qt_item_actions.h"
#include "qt/qt_shown_text.h"

#include "qt/qt_date_text.h"
#include "ui/results_texts.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

namespace corvath {
namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return path;
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The size the question names: the item's now, else the scan's with its date.
QString sizeNow(const CurrentSize& size, const ActionTarget& target) {
    const QString measured = sizeLabel(size.allocated);
    switch (size.kind) {
        case CurrentSize::Kind::Exact: return measured;
        case CurrentSize::Kind::AtLeast: return QObject::tr("at least %1").arg(measured);
        case CurrentSize::Kind::Unknown: break;
    }
    return QObject::tr("%1 when scanned on %2").arg(sizeLabel(target.size), whenText(target.scanned));
}

QString reasonText(const TrashRefusal& refusal, const ActionTarget& target) {
    using Reason = TrashRefusal::Reason;
    const QString where = fromBytes(refusal.where);
    const QString detail = fromBytes(refusal.detail);
    switch (refusal.reason) {
        case Reason::NotBelowRoot: return QObject::tr("it does not lie below the drive's root");
        case Reason::Gone:
            return refusal.where == target.path ? QObject::tr("it is no longer there")
                                                : QObject::tr("%1 is no longer there").arg(where);
        case Reason::Link: return QObject::tr("%1 is a symbolic link, which is never followed").arg(where);
        case Reason::NotAFolder: return QObject::tr("%1 is no longer a folder").arg(where);
        case Reason::NowAFolder: return QObject::tr("it is a folder now");
        case Reason::OtherFilesystem: return QObject::tr("another filesystem is mounted at %1").arg(where);
        case Reason::HoldsMount: return QObject::tr("another filesystem is mounted inside it, at %1").arg(where);
        case Reason::Changed: return QObject::tr("another item took its place while it was being moved");
        case Reason::NoTrash: return QObject::tr("the trash folder %1 cannot be used: %2").arg(where, detail);
        case Reason::NotAnswering:
            return QObject::tr("the drive has not answered for %1; it may still be moved when it does").arg(detail);
        case Reason::Failed: break;
    }
    return refusal.where == target.path ? QObject::tr("moving it failed: %1").arg(detail)
                                        : QObject::tr("%1 cannot be opened: %2").arg(where, detail);
}

}  // namespace

void openInFileManager(FileManager& fileManager, const ActionTarget& target) {
    // Raw bytes all the way to xdg-open: a name that is not UTF-8 still opens.
    try {
        fileManager.open(target.folder ? target.path : folderOf(target.path));
    } catch (...) {
    }
}

void copyPath(const ActionTarget& target) { QGuiApplication::clipboard()->setText(fromBytes(target.path)); }

bool moveToTrashAfterAsking(QWidget* parent, TrashCan& trash, const ActionTarget& target) {
    const QString path = fromBytes(target.path);
    const TrashItem item{target.root, target.path, target.folder};
    const auto refuse = [&](const TrashRefusal& refusal) {
        QMessageBox::warning(parent, QString::fromUtf8(kResultsName),
                             QObject::tr("%1 was not moved to the trash: %2.").arg(path, reasonText(refusal, target)));
        return false;
    };

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const TrashCheck check = trash.check(item, kTrashMeasureBound);
    QGuiApplication::restoreOverrideCursor();
    if (check.refusal) return refuse(*check.refusal);

    const QString name = QFileInfo(path).fileName();
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kResultsName),
                    QObject::tr("Move \u201c%1\u201d (%2) to the trash?").arg(name, sizeNow(check.size, target)),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setInformativeText(target.folder ? QObject::tr("The folder %1 and everything in it can be restored from the "
                                                       "trash until the trash is emptied.")
                                               .arg(path)
                                         : QObject::tr("The file %1 can be restored from the trash until the trash "
                                                       "is emptied.")
                                               .arg(path));
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) return false;

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const TrashMove moved = trash.move(item);
    QGuiApplication::restoreOverrideCursor();
    if (moved.refusal) return refuse(*moved.refusal);
    return true;
}

}  // namespace corvath
