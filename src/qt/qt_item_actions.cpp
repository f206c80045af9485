#include "qt/qt_item_actions.h"

#include "text/size_text.h"
#include "ui/results_texts.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStandardPaths>

#include <filesystem>

namespace corvath {
namespace {

QString fromBytes(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return path;
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Puts an item back from where a failed trash left it, and drops the record
// made of it.
void undoStrayTrash(const QString& placed, const std::string& original) {
    namespace fs = std::filesystem;
    const fs::path where = fs::absolute(QFile::encodeName(placed).toStdString());
    std::error_code error;
    fs::rename(where, original, error);
    const fs::path record = where.parent_path().parent_path() / "info" / (where.filename().string() + ".trashinfo");
    fs::remove(record, error);
    fs::remove(where.parent_path(), error);  // only when empty
    fs::remove(record.parent_path(), error);
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

bool moveToTrashAfterAsking(QWidget* parent, const ActionTarget& target) {
    const QString path = fromBytes(target.path);
    const QString name = QFileInfo(path).fileName();
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kResultsName),
                    QObject::tr("Move \u201c%1\u201d (%2) to the trash?")
                        .arg(name, QString::fromStdString(sizeText(target.size))),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setInformativeText(target.folder ? QObject::tr("The folder %1 and everything in it can be restored from the "
                                                       "trash until the trash is emptied.")
                                               .arg(path)
                                         : QObject::tr("The file %1 can be restored from the trash until the trash "
                                                       "is emptied.")
                                               .arg(path));
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) return false;

    QString reason;
    // Qt addresses files by text: a name whose bytes are not UTF-8 would name
    // another file, so it is refused rather than guessed at.
    if (QFile::encodeName(path).toStdString() != target.path) {
        reason = QObject::tr("its name cannot be passed on unchanged");
    } else if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        reason = QObject::tr("it is no longer there");
    } else {
        // Qt 6.4 finds no trash when the data folder is missing, and then
        // "trashes" into the current folder and reports success: the folder is
        // made first, and a relative place is undone.
        QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        QString inTrash;
        if (!QFile::moveToTrash(path, &inTrash)) {
            reason = QObject::tr("the desktop's trash did not take it");
        } else if (QFileInfo(inTrash).isRelative()) {
            undoStrayTrash(inTrash, target.path);
            reason = QObject::tr("the desktop's trash could not be found");
        }
    }
    if (reason.isEmpty()) return true;
    QMessageBox::warning(parent, QString::fromUtf8(kResultsName),
                         QObject::tr("%1 was not moved to the trash: %2.").arg(path, reason));
    return false;
}

}  // namespace corvath
