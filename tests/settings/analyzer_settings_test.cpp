#include "settings/analyzer_settings.h"
#include "settings/excluded_folders.h"

#include "support/fake_registry_store.h"

#include <gtest/gtest.h>

#include <optional>

namespace corvath {
namespace {

using test::FakeRegistryStore;

const std::string kKey = "Software\\Tamsel";

// The window's box as the window behaves: created unticked, and a change of
// state runs the click handler, which writes the setting back.
class FakeRememberBox : public RememberBox {
public:
    explicit FakeRememberBox(RegistryStore& store) : store_(store) {}
    void setTicked(bool state) override {
        ++calls;
        if (state != ticked) {
            ticked = state;
            ++handlerRuns;
            writeCheckBoxSetting(store_, kSaveAnalyzerSettings, state);
        }
    }
    bool ticked = false;
    int calls = 0;
    int handlerRuns = 0;

private:
    RegistryStore& store_;
};

FakeRegistryStore storeWith(std::optional<std::string> text, const char* name) {
    FakeRegistryStore store;
    store.createKey(kKey);
    if (text) {
        store.setText(kKey, name, *text);
    }
    return store;
}

std::string storedText(const FakeRegistryStore& store, const char* name) {
    const std::optional<RegistryValue> value = store.value(kKey, name);
    if (!value) {
        return "<missing>";
    }
    EXPECT_EQ(value->type, reg::kSz);
    return {value->data.begin(), value->data.end()};
}

TEST(RememberFlag, OnlyNoInAnyCaseTurnsRememberingOff) {
    const struct {
        std::optional<std::string> stored;
        bool remember;
    } cases[] = {
        {"no", false}, {"NO", false}, {"No", false}, {"nO", false}, {"no ", true}, {" no", true},
        {"0", true},   {"yes", true}, {"", true},    {std::nullopt, true}, {"n", true}, {"none", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("<missing>"));
        FakeRegistryStore store = storeWith(c.stored, kSaveAnalyzerSettings);
        EXPECT_EQ(loadRememberFlag(store, nullptr), c.remember);
    }
}

TEST(RememberFlag, InteractiveStartTicksTheBoxOnlyWhenRemembering) {
    {
        FakeRegistryStore store = storeWith(std::nullopt, kSaveAnalyzerSettings);
        FakeRememberBox box(store);
        EXPECT_TRUE(loadRememberFlag(store, &box));
        EXPECT_TRUE(box.ticked);
        EXPECT_EQ(box.handlerRuns, 1);
        // The handler writes the normalized text back, so a missing value becomes "yes".
        EXPECT_EQ(storedText(store, kSaveAnalyzerSettings), "yes");
    }
    {
        FakeRegistryStore store = storeWith("No", kSaveAnalyzerSettings);
        FakeRememberBox box(store);
        EXPECT_FALSE(loadRememberFlag(store, &box));
        EXPECT_FALSE(box.ticked);
        EXPECT_EQ(box.handlerRuns, 0);
        EXPECT_EQ(storedText(store, kSaveAnalyzerSettings), "No");
    }
}

TEST(RememberFlag, UnattendedRunWritesNothing) {
    FakeRegistryStore store = storeWith(std::nullopt, kSaveAnalyzerSettings);
    EXPECT_TRUE(loadRememberFlag(store, nullptr));
    EXPECT_EQ(storedText(store, kSaveAnalyzerSettings), "<missing>");
}

TEST(RememberFlag, MissingKeyMeansRememberAndIsNotCreated) {
    FakeRegistryStore store;
    FakeRememberBox box(store);
    EXPECT_TRUE(loadRememberFlag(store, &box));
    EXPECT_TRUE(box.ticked);
    EXPECT_FALSE(store.hasKey(kKey));
}

TEST(SavedSelection, ReadRules) {
    const struct {
        std::optional<std::string> stored;
        bool presentBefore;
        bool present;
        std::vector<std::string> entries;  // starting entries are {"old"}
    } cases[] = {
        {"C:", false, true, {"C:"}},
        {"C:\tE:", false, true, {"C:", "E:"}},
        {"C:\t\tE:", false, true, {"C:", "", "E:"}},
        {"\t", false, true, {"", ""}},
        {"\tC:", false, true, {"", "C:"}},
        {"C:\t", false, true, {"C:", ""}},
        {" C: ", false, true, {" C: "}},
        {"c: \t d:", false, true, {"c: ", " d:"}},
        // Spaces alone are blank: the flag drops, the entries stay.
        {"   ", true, false, {"old"}},
        // Empty or missing changes nothing at all.
        {"", true, true, {"old"}},
        {"", false, false, {"old"}},
        {std::nullopt, true, true, {"old"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("<missing>"));
        FakeRegistryStore store = storeWith(c.stored, kSelectedDrives);
        SavedSelection saved{c.presentBefore, {"old"}};
        loadSavedSelection(store, saved);
        EXPECT_EQ(saved.present, c.present);
        EXPECT_EQ(saved.entries, c.entries);
    }
}

TEST(SavedSelection, SaveJoinsWithOneTabBetweenEntries) {
    const struct {
        std::vector<std::string> selection;
        std::string stored;
    } cases[] = {
        {{"C:", "E:"}, "C:\tE:"},
        {{"D:"}, "D:"},
        {{"/", "/home", "/media/usb stick"}, "/\t/home\t/media/usb stick"},
        {{""}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        FakeRegistryStore store = storeWith(std::nullopt, kSelectedDrives);
        saveSelection(store, c.selection);
        EXPECT_EQ(storedText(store, kSelectedDrives), c.stored);
    }
}

TEST(SavedSelection, SaveThenLoadGivesTheSameEntries) {
    const std::vector<std::vector<std::string>> selections = {{"/"}, {"/", "/home"}, {"", "/x", ""}, {" / ", "\\"}};
    for (const auto& selection : selections) {
        EXPECT_EQ(splitSelectedDrives(joinSelectedDrives(selection)), selection);
    }
}

TEST(SavedSelection, SaveIntoMissingKeyStoresNothing) {
    FakeRegistryStore store;
    saveSelection(store, {"/"});
    EXPECT_FALSE(store.hasKey(kKey));
}

TEST(CloseWhenDone, OnlyYesInAnyCaseMeansClose) {
    const struct {
        std::optional<std::string> stored;
        bool close;
    } cases[] = {
        {"yes", true}, {"YES", true}, {"Yes", true}, {"y", false}, {"1", false},
        {"true", false}, {"yes ", false}, {"", false}, {std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("<missing>"));
        FakeRegistryStore store = storeWith(c.stored, kCloseWhenDone);
        EXPECT_EQ(readCloseWhenDone(store), c.close);
    }
}

TEST(StartExplorer, OnlyTheTextOneOrTheNumberOneMeansStart) {
    const struct {
        std::uint32_t type;
        std::string bytes;
        bool start;
    } cases[] = {
        {reg::kSz, "1", true},
        {reg::kSz, std::string("1\0", 2), true},
        {reg::kDword, std::string("\x01\0\0\0", 4), true},
        {reg::kDword, std::string("\0\0\0\0", 4), false},
        {reg::kDword, std::string("\x01\x01\0\0", 4), false},
        {reg::kSz, "01", false},
        {reg::kSz, " 1", false},
        {reg::kSz, "yes", false},
        {reg::kExpandSz, std::string("1\0", 2), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        FakeRegistryStore store = storeWith(std::nullopt, kStartExplorer);
        store.put(kKey, kStartExplorer, c.type, c.bytes);
        EXPECT_EQ(readStartExplorer(store), c.start);
    }
    FakeRegistryStore missing = storeWith(std::nullopt, kStartExplorer);
    EXPECT_FALSE(readStartExplorer(missing));
}

TEST(CheckBoxSettings, WriteYesWhenTickedNoWhenNot) {
    FakeRegistryStore store = storeWith("maybe", kCloseWhenDone);
    writeCheckBoxSetting(store, kCloseWhenDone, true);
    EXPECT_EQ(storedText(store, kCloseWhenDone), "yes");
    writeCheckBoxSetting(store, kCloseWhenDone, false);
    EXPECT_EQ(storedText(store, kCloseWhenDone), "no");
}

TEST(ExcludedFolders, SavedPatternsReadBackWithoutEmptyFieldsAndAPatternHoldingATabIsLeftOut) {
    FakeRegistryStore store = storeWith(std::nullopt, kExcludedFolders);
    EXPECT_TRUE(loadExcludedFolders(store).empty());
    EXPECT_EQ(saveExcludedFolders(store, {"a", "", "b\tc", "/d/ "}), (std::vector<std::string>{"b\tc"}));
    EXPECT_EQ(storedText(store, kExcludedFolders), "a\t/d/ ");
    store.setText(kKey, kExcludedFolders, "\ta\t\t/d/ \t");
    EXPECT_EQ(loadExcludedFolders(store), (std::vector<std::string>{"a", "/d/ "}));
}

TEST(SettingsKey, ReadsNeedFullAccessToTheKey) {
    // A key the user may read but not control reads as missing: every default holds.
    FakeRegistryStore store = storeWith("no", kSaveAnalyzerSettings);
    store.setText(kKey, kCloseWhenDone, "yes");
    store.setText(kKey, kStartExplorer, "1");
    store.grantOnly(0x20019);  // KEY_READ
    EXPECT_TRUE(loadRememberFlag(store, nullptr));
    EXPECT_FALSE(readCloseWhenDone(store));
    EXPECT_FALSE(readStartExplorer(store));
}

}  // namespace
}  // namespace corvath
