#include "qt/qt_excludes_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "settings/analyzer_settings.h"
#include "settings/excluded_folders.h"
#include "ui/results_texts.h"

namespace corvath {

QtExcludesDialog::QtExcludesDialog(RegistryStore& store, QWidget* parent) : QDialog(parent), store_(store) {
    setWindowTitle(tr("Excluded Folders"));
    auto* layout = new QVBoxLayout(this);
    auto* about = new QLabel(tr("Folders to leave out of every drive's scans, one pattern per line, as in a "
                                ".gitignore file: a name such as <b>node_modules</b> at any depth, a path from "
                                "the drive's root such as <b>/var/tmp</b>, with <b>*</b>, <b>?</b> and <b>**</b>. "
                                "A folder left out is not entered and has no size. They apply from the next scan."),
                             this);
    about->setWordWrap(true);
    layout->addWidget(about);
    editor_ = new QPlainTextEdit(this);
    editor_->setTabChangesFocus(true);  // a TAB would split a pattern in the stored value
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QStringList lines;
    for (const std::string& pattern : loadExcludedFolders(store_)) lines << QString::fromStdString(pattern);
    editor_->setPlainText(lines.join(QLatin1Char('\n')));
    about->setBuddy(editor_);
    editor_->setAccessibleName(tr("Excluded folders, one pattern per line"));
    layout->addWidget(editor_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(460, 320);
}

bool QtExcludesDialog::save() {
    std::vector<std::string> patterns;
    // A TAB pasted in separates patterns, as it does in the stored value.
    const QString text = editor_->toPlainText().replace(QLatin1Char('\t'), QLatin1Char('\n'));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) patterns.push_back(line.toStdString());
    }
    saveExcludedFolders(store_, patterns);
    // The store says nothing when it keeps nothing: read back to know.
    if (loadExcludedFolders(store_) == patterns) return true;
    QMessageBox::warning(this, QString::fromUtf8(kResultsName),
                         tr("The excluded folders could not be saved: the settings key HKCU\\%1 is missing or "
                            "cannot be written.")
                             .arg(QString::fromUtf8(kSettingsKey)));
    return false;
}

void QtExcludesDialog::accept() {
    if (save()) QDialog::accept();
}

}  // namespace corvath
