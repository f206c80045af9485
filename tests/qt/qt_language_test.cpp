// The window's texts in the user's language, loaded as the program loads them:
// run under LANG=C they are the English originals, exactly; under
// LANG=de_DE.UTF-8 they are German. The real window logic drives the real
// window through the drive page, the cancel question and a run of two drives;
// fakes stand for the drives, the settings and the engine.
#include "qt/qt_translation.h"
#include "qt/qt_wizard_window.h"

#include "text/paths.h"
#include "qt/qt_test_app.h"
#include "settings/analyzer_settings.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "support/fake_volume_layer.h"
#include "support/recording_file_manager.h"
#include "wizard/forwarded_events.h"
#include "wizard/spoken_names.h"
#include "wizard/wizard.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>

#include <map>
#include <memory>
#include <string>

namespace corvath {
namespace {

// What each control shows in English; "&" marks the access key.
const std::map<Control, std::string> kDrivePage{
    {Control::lblTitle, "Select drives to analyze"},
    {Control::lblDesc, "Select drives from the following list, and click on Next >"},
    {Control::cmdNext, "&Next >"},
    {Control::cmdCancel, "&Cancel"},
    {Control::chkRememberSettings, "&Remember these settings"},
    {Control::txtLoading, "Loading local disks...please wait..."},
};
const std::map<Control, std::string> kDonePage{
    {Control::lblTitle, "Analyzing...Done"},
    {Control::lblDesc, "Corvath has finished analyzing your disk."},
    {Control::cmdCancel, "&Finish"},
    {Control::Label3, "Analyzing"},
    {Control::lblDiskCount, "Disk 2 of 2"},
    {Control::lblDiskProgStatus, "Scanning /media/usb"},
    {Control::lblFileFldCount, "12 files, 3 folders "},
    {Control::lblOverallProgress, "Overall progress"},
    {Control::chkCloseWhenDone, "Close this &dialog box when disk analysis is complete"},
};
constexpr const char* kRamDisk = "RAM Disk (/tmp)";
constexpr const char* kCancelQuestion = "Are you sure you want to cancel the Corvath Analyzer process?";

std::string unmarked(std::string text) {
    const auto at = text.find('&');
    if (at != std::string::npos) text.erase(at, 1);
    return text;
}

// The translations are in before the window is made, as in the program.
class Translated : public test::QtFixture {
protected:
    Translated() {
        static const bool installed = [] {
            installTranslations(test::qtApp());
            return true;
        }();
        (void)installed;
    }
};

class WindowLanguage : public Translated {
protected:
    WindowLanguage() {
        store.createKey(kSettingsKey);
        volumes.add(rootOfDriveName("/")).space = DiskSpace{8192, 4096};
        volumes.add(rootOfDriveName("/media/usb"), drive_type::kRemovable).space = DiskSpace{8192, 4096};
        events.target = &wizard;
    }

    std::string shown(Control control) const {
        const QWidget* w = window.widget(control);
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text().toStdString();
        if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text().toStdString();
        if (const auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text().toStdString();
        return {};
    }

    // Goes through the window as a user would and records every text it shows.
    void useTheWindow() {
        wizard.startInteractive();
        window.driveList().addItem(kRamDisk);
        for (const auto& [control, english] : kDrivePage) drivePage[control] = shown(control);
        const auto* list = static_cast<const QTreeWidget*>(window.widget(Control::lvwDrives));
        ramDisk = list->topLevelItem(list->topLevelItemCount() - 1)->text(0).toStdString();

        // Cancel asks; No goes on.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->text().toStdString();
                box->button(QMessageBox::No)->click();
            }
        });
        answer.start(10);
        static_cast<QAbstractButton*>(window.widget(Control::cmdCancel))->click();
        answer.stop();

        window.driveList().setChecked(1, true);  // the USB disk too
        engine->scripts["/"] = {{"/boot/|4 files, 1 folders scanned", "4096", nullptr}};
        engine->scripts["/media/usb"] = {{"/media/usb/data/|12 files, 3 folders scanned", "4096", nullptr}};
        static_cast<QAbstractButton*>(window.widget(Control::cmdNext))->click();
        for (const auto& [control, english] : kDonePage) donePage[control] = shown(control);
        folder = shown(Control::lblFolderName);
    }

    test::FakeRegistryStore store;
    test::FakeVolumeLayer volumes;
    RunState state;
    test::RecordingFileManager fileManager;
    ForwardedEvents events;
    QtWizardWindow window{events};
    test::FakeEngine* engine = nullptr;
    Wizard wizard{window, store, volumes, state, fileManager,
                  [this] {
                      auto made = std::make_unique<test::FakeEngine>();
                      engine = made.get();
                      return made;
                  },
                  nullptr};

    std::map<Control, std::string> drivePage;
    std::map<Control, std::string> donePage;
    std::string ramDisk;
    std::string question;
    std::string folder;
};

TEST_F(WindowLanguage, UnderTheCLocaleTheTextsAreExactlyTheEnglishOriginals) {
    ASSERT_EQ(QLocale::system().language(), QLocale::C) << "run with LANG=C";
    useTheWindow();
    // The access key's mark is not shown: "&Next >" reads "Next >".
    EXPECT_EQ(drivePage, kDrivePage);
    EXPECT_EQ(donePage, kDonePage);
    EXPECT_EQ(ramDisk, kRamDisk);
    EXPECT_EQ(question, kCancelQuestion);
    EXPECT_EQ(folder, "/media/usb/data");
    EXPECT_EQ(window.window()->windowTitle().toStdString(), "Corvath Analyzer");
}

TEST_F(WindowLanguage, UnderAGermanLocaleEveryTextIsGermanAndTheLogicStillReadsEnglish) {
    ASSERT_EQ(QLocale::system().language(), QLocale::German) << "run with LANG=de_DE.UTF-8";
    useTheWindow();
    for (const auto& [shownPage, englishPage] : {std::pair{drivePage, kDrivePage}, std::pair{donePage, kDonePage}}) {
        for (const auto& [control, english] : englishPage) {
            const std::string& text = shownPage.at(control);
            EXPECT_NE(unmarked(text), unmarked(english)) << "not translated: " << english;
            EXPECT_EQ(text.find('%'), std::string::npos) << text;
        }
    }
    // Whole texts, composed texts with their values, and the access keys the
    // translation chose.
    EXPECT_EQ(drivePage.at(Control::cmdNext), "&Weiter >");
    EXPECT_EQ(donePage.at(Control::lblDiskCount), "Datenträger 2 von 2");
    EXPECT_EQ(donePage.at(Control::lblDiskProgStatus), "Durchsuche /media/usb");
    EXPECT_EQ(donePage.at(Control::lblFileFldCount), "12 Dateien, 3 Ordner ");
    EXPECT_EQ(ramDisk, "RAM-Disk (/tmp)");
    EXPECT_EQ(question, "Möchten Sie den Vorgang von Corvath Analyzer wirklich abbrechen?");
    // A folder's name is never translated.
    EXPECT_EQ(folder, "/media/usb/data");
    // The logic reads its own English caption back: Cancel became Finish.
    EXPECT_EQ(window.caption(Control::cmdCancel), "Finish");

    // The longer German description of the done page stays, whole, on the
    // banner's white part: left of the artwork, whose first column lies at
    // x 308 of the window, and above the band's lower line at y 55.
    const auto* desc = static_cast<const QLabel*>(window.widget(Control::lblDesc));
    const QRect place(desc->mapTo(window.window(), QPoint(0, 0)), desc->size());
    EXPECT_LT(place.right(), 308);
    EXPECT_LE(place.bottom(), 55);
    EXPECT_GE(desc->height(), desc->heightForWidth(desc->width()));

    // What a screen reader says is German too.
    for (const auto& [control, english] : kSpokenNames) {
        EXPECT_NE(window.widget(control)->accessibleName().toStdString(), english);
    }
    auto* list = static_cast<QTreeWidget*>(window.widget(Control::lvwDrives));
    EXPECT_EQ(list->headerItem()->text(0).toStdString(), "Laufwerk");
    window.driveList().setInaccessible(0);
    EXPECT_EQ(list->topLevelItem(0)->data(0, Qt::AccessibleTextRole).toString().toStdString(),
              list->topLevelItem(0)->text(0).toStdString() + ", nicht lesbar");
}

}  // namespace
}  // namespace corvath
