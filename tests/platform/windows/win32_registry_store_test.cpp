#include "platform/windows/win32_registry_store.h"

#include "settings/registry_access.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <windows.h>

namespace corvath {
namespace {

// A key of the test's own in the real registry, filled the way an installer or
// reg.exe fills it, and removed with everything below it afterwards.
class Win32Registry : public ::testing::Test {
protected:
    void SetUp() override {
        path = "Software\\CorvathTest\\" + std::to_string(GetCurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &testKey,
                                  nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(testKey);
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    }

    // Exactly these bytes: a non-zero byte after them stops RegSetValueExA from
    // storing a NUL that follows a string as its terminator.
    void put(const std::string& name, DWORD type, const std::string& bytes) {
        const std::string followed = bytes + '\x01';
        ASSERT_EQ(RegSetValueExA(testKey, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(followed.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    // What the registry holds, read past any limit of ours.
    std::optional<std::pair<DWORD, std::string>> stored(const std::string& name) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(testKey, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
        std::string bytes(size + 1, '\0');
        if (RegQueryValueExA(testKey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        bytes.resize(size);
        return std::make_pair(type, bytes);
    }
    // Returns the result and the text, starting from what the caller passes.
    std::pair<bool, std::string> read(const std::string& name, std::string text = "") {
        const bool found = readRegistryText(store, Hive::CurrentUser, path, name, text);
        return {found, text};
    }
    static bool keyExists(const std::string& keyPath) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
        RegCloseKey(opened);
        return true;
    }

    Win32RegistryStore store;
    std::string path;
    HKEY testKey = nullptr;
};

TEST_F(Win32Registry, ValuesReadAsTextByType) {
    const struct {
        DWORD type;
        std::string bytes;
        std::string text;  // read starting from "keep"
    } cases[] = {
        {REG_SZ, "yes", "yes"},
        {REG_SZ, std::string("yes\0", 4), "yes"},
        {REG_SZ, "", ""},
        // The size returned ends the string, not a NUL: an inner one is data.
        {REG_SZ, std::string("a\0b", 3), std::string("a\0b", 3)},
        {REG_SZ, std::string("a\0b\0", 4), std::string("a\0b", 3)},
        {REG_DWORD, std::string("\0\0\0\0", 4), "0"},
        {REG_DWORD, std::string("\x01\0\0\0", 4), "1"},
        {REG_DWORD, std::string("\x0a\x01\0\0", 4), "266"},
        {REG_DWORD, std::string("\xff\xff\xff\xff", 4), "4294967295"},
        {REG_EXPAND_SZ, std::string("%HOME%\0", 7), "keep"},
        {REG_MULTI_SZ, std::string("a\0b\0\0", 5), "keep"},
        {REG_BINARY, "\x01\x02", "keep"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes) + " type " + std::to_string(c.type));
        put("Value", c.type, c.bytes);
        EXPECT_EQ(read("Value", "keep"), std::make_pair(true, c.text));
        // The store hands over exactly what is held: type and bytes, NUL or not.
        RegistryValue value;
        ASSERT_EQ(store.openKey(Hive::CurrentUser, path, reg::kAllAccess)->queryValue("Value", 64, value),
                  QueryStatus::Ok);
        EXPECT_EQ(value.type, c.type);
        EXPECT_EQ(std::string(value.data.begin(), value.data.end()), c.bytes);
    }
}

TEST_F(Win32Registry, ValueLongerThanTheReadLimitIsTooLargeAndLeavesTheCallersValue) {
    const auto key = store.openKey(Hive::CurrentUser, path, reg::kAllAccess);
    ASSERT_TRUE(key);
    put("Exact", REG_SZ, std::string(15, 'x') + '\0');
    put("Over", REG_SZ, std::string(16, 'x') + '\0');
    RegistryValue value{reg::kDword, {1, 2}};
    EXPECT_EQ(key->queryValue("Over", 16, value), QueryStatus::TooLarge);
    EXPECT_EQ(value.type, reg::kDword);
    EXPECT_EQ(value.data, (std::vector<std::uint8_t>{1, 2}));
    ASSERT_EQ(key->queryValue("Exact", 16, value), QueryStatus::Ok);
    EXPECT_EQ(value.data.size(), 16u);

    // At the access logic's own limit, the NUL counted.
    put("AtLimit", REG_SZ, std::string(kMaxReadBytes - 1, 'x') + '\0');
    EXPECT_EQ(read("AtLimit"), std::make_pair(true, std::string(kMaxReadBytes - 1, 'x')));
    put("PastLimit", REG_SZ, std::string(kMaxReadBytes, 'x') + '\0');
    EXPECT_EQ(read("PastLimit", "keep"), std::make_pair(false, std::string("keep")));
    put("PastLimitBinary", REG_BINARY, std::string(kMaxReadBytes + 1, 'x'));
    EXPECT_EQ(read("PastLimitBinary", "keep"), std::make_pair(false, std::string("keep")));
}

TEST_F(Win32Registry, WritesStringsWithoutNul) {
    writeRegistryText(store, Hive::CurrentUser, path, "Word", "yes");
    EXPECT_EQ(stored("Word"), std::make_pair(DWORD{REG_SZ}, std::string("yes")));

    put("Empty", REG_DWORD, std::string("\x05\0\0\0", 4));
    writeRegistryText(store, Hive::CurrentUser, path, "Empty", "");
    EXPECT_EQ(stored("Empty"), std::make_pair(DWORD{REG_SZ}, std::string()));
    EXPECT_EQ(read("Empty", "keep"), std::make_pair(true, std::string()));

    // The registry matches names without regard to case, and keeps the first spelling.
    writeRegistryText(store, Hive::CurrentUser, path, "WORD", "no");
    EXPECT_EQ(read("word"), std::make_pair(true, std::string("no")));
}

TEST_F(Win32Registry, MissingValueAndMissingKeyReadAsFailureAndKeysAreNeverCreated) {
    EXPECT_EQ(read("Nothing", "keep"), std::make_pair(false, std::string("keep")));

    const std::string missing = path + "\\Sub";
    writeRegistryText(store, Hive::CurrentUser, missing, "Word", "yes");
    EXPECT_FALSE(keyExists(missing));
    std::string text = "keep";
    EXPECT_FALSE(readRegistryText(store, Hive::CurrentUser, missing, "Word", text));
    EXPECT_EQ(text, "keep");
}

TEST_F(Win32Registry, KeysOpenWithExactlyTheAccessAskedFor) {
    // Opened for reading only, the key takes no writes.
    store.openKey(Hive::CurrentUser, path, KEY_READ)->setValue("Word", reg::kSz, {'n', 'o'});
    EXPECT_FALSE(stored("Word"));
    // The write's own mask is enough to set a value.
    store.openKey(Hive::CurrentUser, path, reg::kWriteAccess)->setValue("Word", reg::kSz, {'n', 'o'});
    EXPECT_EQ(stored("Word"), std::make_pair(DWORD{REG_SZ}, std::string("no")));
    // And a key opened with no right to query reads nothing.
    RegistryValue value;
    EXPECT_EQ(store.openKey(Hive::CurrentUser, path, KEY_SET_VALUE)->queryValue("Word", 64, value),
              QueryStatus::Missing);
}

}  // namespace
}  // namespace corvath
