#include "settings/registry_access.h"

#include "platform/linux/registry_store_editor.h"
#include "platform/linux/sqlite_registry_store.h"
#include "settings/analyzer_settings.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

// Registry access over a real store file, filled the way an installer fills it.
class RegistryAccess : public ::testing::Test {
protected:
    void SetUp() override { editor.createKey(Hive::CurrentUser, "Software\\Tamsel"); }

    void put(const std::string& name, std::uint32_t type, const std::string& bytes) {
        editor.setValue(Hive::CurrentUser, "Software\\Tamsel", name, type, {bytes.begin(), bytes.end()});
    }
    // Returns the result and the text, starting from what the caller passes.
    std::pair<bool, std::string> read(const std::string& name, std::string text = "") {
        const bool found = readRegistryText(store, Hive::CurrentUser, "Software\\Tamsel", name, text);
        return {found, text};
    }
    std::optional<RegistryValue> stored(const std::string& name) {
        const auto key = editor.readKey(Hive::CurrentUser, "Software\\Tamsel");
        for (const NamedRegistryValue& value : key->values) {
            if (value.name == name) {
                return value.value;
            }
        }
        return std::nullopt;
    }

    test::TempDir dir;
    std::filesystem::path file = dir / "corvath/registry.db";
    RegistryStoreEditor editor{file};
    SqliteRegistryStore store{file};
};

TEST_F(RegistryAccess, ValuesReadAsTextByType) {
    const struct {
        std::uint32_t type;
        std::string bytes;
        bool found;
        std::string text;  // read starting from "keep"
    } cases[] = {
        {reg::kSz, "yes", true, "yes"},
        {reg::kSz, std::string("yes\0", 4), true, "yes"},
        {reg::kSz, std::string("\0", 1), true, ""},
        {reg::kSz, "", true, ""},
        // Only the last NUL goes: an inner one is data.
        {reg::kSz, std::string("a\0b\0", 4), true, std::string("a\0b", 3)},
        {reg::kDword, std::string("\0\0\0\0", 4), true, "0"},
        {reg::kDword, std::string("\x01\0\0\0", 4), true, "1"},
        {reg::kDword, std::string("\0\x01\0\0", 4), true, "256"},
        {reg::kDword, std::string("\x0a\x01\0\0", 4), true, "266"},
        {reg::kDword, std::string("\xff\xff\xff\xff", 4), true, "4294967295"},
        {reg::kDword, std::string("\0\0\0\x80", 4), true, "2147483648"},
        {reg::kDword, "", true, "0"},
        {reg::kDword, std::string("\xff\xff\xff\xff\xff\xff\xff\xff\x01", 9), true, "36893488147419103231"},
        {reg::kExpandSz, std::string("%HOME%\0", 7), true, "keep"},
        {reg::kMultiSz, std::string("a\0b\0\0", 5), true, "keep"},
        {reg::kBinary, "\x01\x02", true, "keep"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes) + " type " + std::to_string(c.type));
        put("Value", c.type, c.bytes);
        EXPECT_EQ(read("Value", "keep"), std::make_pair(c.found, c.text));
    }
}

TEST_F(RegistryAccess, ReadsValuesWholeUpToTheLimit) {
    put("Exact", reg::kSz, std::string(kMaxReadBytes, 'x'));
    EXPECT_EQ(read("Exact"), std::make_pair(true, std::string(kMaxReadBytes, 'x')));

    put("ExactWithNul", reg::kSz, std::string(kMaxReadBytes - 1, 'x') + '\0');
    EXPECT_EQ(read("ExactWithNul"), std::make_pair(true, std::string(kMaxReadBytes - 1, 'x')));

    // The NUL counts: a limit's worth of characters and their NUL do not fit.
    put("Over", reg::kSz, std::string(kMaxReadBytes, 'x') + '\0');
    EXPECT_EQ(read("Over", "keep"), std::make_pair(false, std::string("keep")));
    put("Over2", reg::kBinary, std::string(kMaxReadBytes + 1, 'x'));
    EXPECT_EQ(read("Over2", "keep"), std::make_pair(false, std::string("keep")));
}

TEST_F(RegistryAccess, NamesAndKeysMatchWithoutRegardToCase) {
    put("SaveAnalyzerSettings", reg::kSz, "no");
    std::string text;
    EXPECT_TRUE(readRegistryText(store, Hive::CurrentUser, "SOFTWARE\\tamsel", "saveanalyzersettings", text));
    EXPECT_EQ(text, "no");
    // A write through another spelling replaces the value and keeps its name.
    writeRegistryText(store, Hive::CurrentUser, "software\\TAMSEL", "SAVEANALYZERSETTINGS", "yes");
    ASSERT_TRUE(stored("SaveAnalyzerSettings"));
    EXPECT_EQ(editor.readKey(Hive::CurrentUser, "Software\\Tamsel")->values.size(), 1u);
}

TEST_F(RegistryAccess, WritesStringsWithoutNul) {
    writeRegistryText(store, Hive::CurrentUser, "Software\\Tamsel", "Word", "yes");
    const auto word = stored("Word");
    ASSERT_TRUE(word);
    EXPECT_EQ(word->type, reg::kSz);
    EXPECT_EQ(word->data, (std::vector<std::uint8_t>{'y', 'e', 's'}));

    put("Empty", reg::kDword, "\x05\0\0\0");
    writeRegistryText(store, Hive::CurrentUser, "Software\\Tamsel", "Empty", "");
    const auto empty = stored("Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->type, reg::kSz);
    EXPECT_TRUE(empty->data.empty());
    EXPECT_EQ(read("Empty", "keep"), std::make_pair(true, std::string()));
}

TEST_F(RegistryAccess, MissingValueReadsAsFailure) {
    EXPECT_EQ(read("Nothing", "keep"), std::make_pair(false, std::string("keep")));
}

TEST_F(RegistryAccess, MissingKeyIsNeverCreated) {
    writeRegistryText(store, Hive::CurrentUser, "Software\\Other", "Word", "yes");
    std::string text;
    EXPECT_FALSE(readRegistryText(store, Hive::CurrentUser, "Software\\Other", "Word", text));
    EXPECT_FALSE(editor.readKey(Hive::CurrentUser, "Software\\Other"));
    // Neither is a key below an existing one.
    writeRegistryText(store, Hive::CurrentUser, "Software\\Tamsel\\Sub", "Word", "yes");
    EXPECT_TRUE(editor.readKey(Hive::CurrentUser, "Software\\Tamsel")->subkeyPaths.empty());
}

TEST(RegistryAccessNewStore, MissingStoreIsCreatedHoldingTheEmptySettingsKey) {
    test::TempDir dir;
    const std::filesystem::path file = dir / "corvath/registry.db";
    SqliteRegistryStore store(file);
    std::string text = "keep";
    EXPECT_FALSE(readRegistryText(store, Hive::CurrentUser, kSettingsKey, kSaveAnalyzerSettings, text));
    EXPECT_EQ(text, "keep");
    const auto key = RegistryStoreEditor(file).readKey(Hive::CurrentUser, kSettingsKey);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->values.empty());
    EXPECT_TRUE(key->subkeyPaths.empty());

    writeRegistryText(store, Hive::CurrentUser, kSettingsKey, kSaveAnalyzerSettings, "yes");
    EXPECT_TRUE(readRegistryText(store, Hive::CurrentUser, kSettingsKey, kSaveAnalyzerSettings, text));
    EXPECT_EQ(text, "yes");
    // Only the store itself: no scratch file left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "corvath"), std::filesystem::directory_iterator()),
              1);
}

TEST(RegistryAccessNewStore, StoreWithoutTheKeyStaysWithoutIt) {
    test::TempDir dir;
    const std::filesystem::path file = dir / "corvath/registry.db";
    RegistryStoreEditor editor(file);
    editor.createKey(Hive::CurrentUser, "Software\\Other");
    ASSERT_TRUE(editor.deleteKey(Hive::CurrentUser, kSettingsKey));

    SqliteRegistryStore store(file);
    writeRegistryText(store, Hive::CurrentUser, kSettingsKey, kSaveAnalyzerSettings, "yes");
    std::string text;
    EXPECT_FALSE(readRegistryText(store, Hive::CurrentUser, kSettingsKey, kSaveAnalyzerSettings, text));
    EXPECT_FALSE(editor.readKey(Hive::CurrentUser, kSettingsKey));
    EXPECT_TRUE(editor.readKey(Hive::CurrentUser, "Software\\Other"));
}

}  // namespace
}  // namespace corvath
