#include "qt/qt_drive_list.h"

#include "qt/qt_look.h"
#include "qt/qt_translation.h"
#include "wizard/spoken_names.h"

#include <QPalette>
#include <QTreeWidget>

namespace corvath {
namespace {

constexpr int kDriveNameRole = Qt::UserRole;
constexpr int kIconNameRole = Qt::UserRole + 1;
constexpr int kInaccessibleRole = Qt::UserRole + 2;

}  // namespace

QTreeWidgetItem* QtDriveList::item(int position) const {
    if (position < 0 || position >= tree_.topLevelItemCount()) return nullptr;
    return tree_.topLevelItem(position);
}

void QtDriveList::clear() { tree_.clear(); }

int QtDriveList::addItem(const std::string& text) {
    const QString whole = translatedText(text);
    auto* item = new QTreeWidgetItem(QStringList{whole});
    // The column is as narrow as laid out and cuts long mount points; the
    // tooltip tells such drives apart.
    item->setToolTip(0, whole);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (checkBoxes_) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    tree_.addTopLevelItem(item);
    return tree_.topLevelItemCount();
}

int QtDriveList::count() const { return tree_.topLevelItemCount(); }

void QtDriveList::applyIcon(QTreeWidgetItem& item) const {
    const QString name = item.data(0, kIconNameRole).toString();
    if (name.isEmpty()) return;
    const QIcon icon = driveIcon(name);
    if (item.data(0, kInaccessibleRole).toBool()) {
        const QSize size = tree_.iconSize().isValid() ? tree_.iconSize() : QSize(16, 16);
        item.setIcon(0, QIcon(icon.pixmap(size, QIcon::Disabled)));
    } else {
        item.setIcon(0, icon);
    }
}

void QtDriveList::setIcon(int position, const std::string& iconName) {
    if (auto* it = item(position)) {
        it->setData(0, kIconNameRole, QString::fromStdString(iconName));
        applyIcon(*it);
    }
}

void QtDriveList::setDriveName(int position, const std::string& driveName) {
    if (auto* it = item(position)) it->setData(0, kDriveNameRole, QString::fromStdString(driveName));
}

std::string QtDriveList::driveName(int position) const {
    const auto* it = item(position);
    return it ? it->data(0, kDriveNameRole).toString().toStdString() : std::string();
}

void QtDriveList::setInaccessible(int position) {
    if (auto* it = item(position)) {
        it->setData(0, kInaccessibleRole, true);
        it->setForeground(0, tree_.palette().brush(QPalette::Disabled, QPalette::Text));
        // Heard, not only seen: a screen reader reads the name with the mark.
        it->setData(0, Qt::AccessibleTextRole, translatedText(kUnreadableDriveName).arg(it->text(0)));
        applyIcon(*it);
    }
}

bool QtDriveList::isInaccessible(int position) const {
    const auto* it = item(position);
    return it != nullptr && it->data(0, kInaccessibleRole).toBool();
}

void QtDriveList::setChecked(int position, bool checked) {
    auto* it = item(position);
    if (it == nullptr) return;
    // Ticks only exist once check boxes are on, as in a list without them.
    if (!checkBoxes_) return;
    it->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

bool QtDriveList::isChecked(int position) const {
    const auto* it = item(position);
    return it != nullptr && checkBoxes_ && it->checkState(0) != Qt::Unchecked;
}

void QtDriveList::enableCheckBoxes() {
    if (checkBoxes_) return;
    checkBoxes_ = true;
    for (int i = 0; i < tree_.topLevelItemCount(); ++i) {
        auto* it = tree_.topLevelItem(i);
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setCheckState(0, Qt::Unchecked);
    }
}

}  // namespace corvath
