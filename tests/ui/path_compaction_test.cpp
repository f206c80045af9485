#include "ui/path_compaction.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace corvath {
namespace {

// A proportional stand-in for a font: narrow dots and slashes, wide capitals,
// every UTF-8 sequence one character of 8 pixels.
int measure(const std::string& text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0U) == 0x80U) continue;
        if (c == '.' || c == '/' || c == 'i' || c == 'l') {
            width += 3;
        } else if (c >= 'A' && c <= 'Z') {
            width += 9;
        } else if (c >= 0x80U) {
            width += 8;
        } else {
            width += 6;
        }
    }
    return width;
}

std::string compact(const std::string& path, int width) { return compactPath(path, width, measure); }

TEST(PathCompaction, PathThatFitsComesBackUnchanged) {
    const std::string path = "/home/user/projects";
    EXPECT_EQ(compact(path, measure(path)), path);
    EXPECT_EQ(compact(path, 1000), path);
    EXPECT_EQ(compact("", 0), "");
}

TEST(PathCompaction, KeepsTheLastComponentAndTheLongestHeadThatFits) {
    const std::string path = "/var/cache/apt/archives/partial";
    const int width = measure("/var/cac.../partial");
    const std::string result = compact(path, width);
    EXPECT_EQ(result, "/var/cac.../partial");
    // One more character of the head would not fit.
    EXPECT_GT(measure("/var/cach.../partial"), width);
}

TEST(PathCompaction, DropsTheWholeHeadWhenOnlyTheTailFits) {
    EXPECT_EQ(compact("/srv/data/backups", measure(".../backups")), ".../backups");
}

TEST(PathCompaction, ResultFitsWheneverEllipsisAndTailFit) {
    std::mt19937 random(1234);
    const std::string alphabet = "abcXYZil.-_ 0123456789";
    for (int round = 0; round < 300; ++round) {
        std::string path;
        const int parts = 1 + static_cast<int>(random() % 6);
        for (int p = 0; p < parts; ++p) {
            path += '/';
            const int length = 1 + static_cast<int>(random() % 14);
            for (int i = 0; i < length; ++i) path += alphabet[random() % alphabet.size()];
        }
        const std::string tail = path.substr(path.rfind('/'));
        for (int width = 0; width <= measure(path) + 5; width += 3) {
            const std::string result = compact(path, width);
            EXPECT_LE(measure(result), width) << path << " at " << width << " gave " << result;
            if (measure(path) <= width) {
                EXPECT_EQ(result, path);
            } else if (measure("..." + tail) <= width) {
                ASSERT_GE(result.size(), tail.size() + 3);
                EXPECT_EQ(result.substr(result.size() - tail.size()), tail) << result;
                const std::string head = result.substr(0, result.size() - tail.size() - 3);
                EXPECT_EQ(path.rfind(head, 0), 0U) << "head " << head << " is not the beginning of " << path;
                EXPECT_EQ(result.substr(head.size(), 3), "...");
            }
        }
    }
}

TEST(PathCompaction, TextWithoutSeparatorKeepsItsBeginning) {
    const std::string text = "averyveryverylongfoldername";
    const int width = measure("averyve...");
    EXPECT_EQ(compact(text, width), "averyve...");
}

TEST(PathCompaction, TooLongLastComponentKeepsItsEnd) {
    const std::string path = "/data/an-extremely-long-folder-name";
    const int width = measure("...folder-name");
    const std::string result = compact(path, width);
    EXPECT_EQ(result, "...folder-name");
    EXPECT_LE(measure(result), width);
}

TEST(PathCompaction, NothingFitsGivesAsMuchOfTheEllipsisAsFits) {
    EXPECT_EQ(compact("/abc/def", 0), "");
    EXPECT_EQ(compact("/abc/def", 6), "..");
    EXPECT_EQ(compact("/abc/def", 9), "...");
}

bool wellFormedUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80U ? 1 : c >= 0xF0U ? 4 : c >= 0xE0U ? 3 : c >= 0xC0U ? 2 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0U) != 0x80U) return false;
        }
        i += length;
    }
    return true;
}

TEST(PathCompaction, NeverSplitsAMultiByteCharacter) {
    // Accented head, a tail of CJK characters too long to fit whole.
    const std::string path = "/home/\xC3\xA9t\xC3\xA9/\xE6\x96\x87\xE6\x9B\xB8\xE6\x96\x87\xE6\x9B\xB8";
    for (int width = 0; width < measure(path); ++width) {
        const std::string result = compact(path, width);
        EXPECT_TRUE(wellFormedUtf8(result)) << "width " << width;
        EXPECT_LE(measure(result), width);
    }
}

}  // namespace
}  // namespace corvath
