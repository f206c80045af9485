#pragma once

#include <QDialog>

#include "settings/registry_store.h"

class QPlainTextEdit;

namespace corvath {

// Edits the folders that every drive's scans leave out (the ExcludedFolders
// setting), one pattern per line, through the settings logic. They apply from
// the next scan on.
class QtExcludesDialog : public QDialog {
    Q_OBJECT
public:
    QtExcludesDialog(RegistryStore& store, QWidget* parent = nullptr);

    QPlainTextEdit* editor() const { return editor_; }
    // Saves the lines as the patterns; false, with the reason shown, when the
    // store did not keep them (no settings key, or a store that cannot be written).
    bool save();

    void accept() override;

private:
    RegistryStore& store_;
    QPlainTextEdit* editor_ = nullptr;
};

}  // namespace corvath
