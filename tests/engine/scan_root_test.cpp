// Turning drive names into the folders scanned, and Windows names into the
// bytes the folder table keeps: on every platform, since both are plain text.
#include <gtest/gtest.h>

#include "engine/scan_root.h"
#include "engine/wtf8.h"

namespace corvath {
namespace {

TEST(ScanRoot, PosixMountPointsLoseTheirTrailingSlash) {
    EXPECT_EQ(posixScanRoot("/"), "/");
    EXPECT_EQ(posixScanRoot("//"), "/");
    EXPECT_EQ(posixScanRoot("/home/"), "/home");
    EXPECT_EQ(posixScanRoot("/media/usb"), "/media/usb");
}

TEST(ScanRoot, WindowsDriveNameGetsItsBackslash) {
    EXPECT_EQ(windowsScanRoot("C:"), "C:\\");
    EXPECT_EQ(windowsScanRoot("C:\\"), "C:\\");
    EXPECT_EQ(windowsScanRoot("c:/"), "c:\\");
    EXPECT_EQ(windowsScanRoot("C:\\\\"), "C:\\");
}

TEST(ScanRoot, WindowsFolderTakesBackslashesAndNoTrailingOne) {
    EXPECT_EQ(windowsScanRoot("Z:\\tmp\\tree\\"), "Z:\\tmp\\tree");
    EXPECT_EQ(windowsScanRoot("Z:/tmp/tree/"), "Z:\\tmp\\tree");
    EXPECT_EQ(windowsScanRoot("\\\\server\\share\\"), "\\\\server\\share");
    EXPECT_EQ(windowsScanRoot("\\"), "\\");
}

TEST(Wtf8, WellFormedUtf16IsPlainUtf8) {
    const std::u16string name = u"dossier \u00e9 \u65e5\u672c \U0001F600";
    const std::string bytes = wtf8FromUtf16(std::u16string_view(name));
    EXPECT_EQ(bytes, reinterpret_cast<const char*>(u8"dossier é 日本 😀"));
    EXPECT_EQ(utf16FromWtf8<char16_t>(bytes), name);
}

TEST(Wtf8, LoneSurrogatesComeBackAsTheyWere) {
    // Valid Windows names that are not valid UTF-16.
    const std::u16string names[] = {std::u16string(1, u'\xD800'), std::u16string(u"a") + u'\xDC00' + u"b",
                                    std::u16string(1, u'\xDBFF') + u'\xDBFF', std::u16string(1, u'\xDFFF') + u'\xD800'};
    for (const std::u16string& name : names) {
        const std::string bytes = wtf8FromUtf16(std::u16string_view(name));
        EXPECT_EQ(utf16FromWtf8<char16_t>(bytes), name);
    }
    EXPECT_EQ(wtf8FromUtf16(std::u16string_view(names[0])), "\xED\xA0\x80");
}

TEST(Wtf8, BytesThatStartNoSequenceBecomeReplacementCharacters) {
    EXPECT_EQ(utf16FromWtf8<char16_t>("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(utf16FromWtf8<char16_t>("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong NUL
    EXPECT_EQ(utf16FromWtf8<char16_t>("\xE6\x97"), u"\uFFFD\uFFFD");  // cut short
}

}  // namespace
}  // namespace corvath
