#include "text/paths.h"

#include <gtest/gtest.h>

TEST(DrivePaths, RootsAndNamesConvertBothWays) {
    struct Case {
        const char* root;
        const char* name;
    };
    for (const Case& c : {Case{"/", "/"}, Case{"/home/", "/home"}, Case{"/media/usb stick/", "/media/usb stick"}}) {
        EXPECT_EQ(corvath::driveNameOfRoot(c.root), c.name);
        EXPECT_EQ(corvath::rootOfDriveName(c.name), c.root);
    }
    EXPECT_EQ(corvath::rootOfDriveName("/home/"), "/home/");
    EXPECT_EQ(corvath::rootOfDriveName(""), "/");
}

#ifdef _WIN32
TEST(DrivePaths, WindowsRootsLoseEveryBackslashAndNamesGainOne) {
    EXPECT_EQ(corvath::driveNameOfRoot("C:\\"), "C:");
    EXPECT_EQ(corvath::driveNameOfRoot("d:\\"), "d:");
    EXPECT_EQ(corvath::driveNameOfRoot("C:\\Mount\\"), "C:Mount");
    EXPECT_EQ(corvath::rootOfDriveName("C:"), "C:\\");
    EXPECT_EQ(corvath::rootOfDriveName("z:"), "z:\\");
    // A stored name that already holds a backslash gets no second one.
    EXPECT_EQ(corvath::rootOfDriveName("A:\\"), "A:\\");
    EXPECT_EQ(corvath::rootOfDriveName("C:\\Mount"), "C:\\Mount");
    // A drive named by its letter alone is its root, on a command line.
    EXPECT_EQ(corvath::driveLetterAsRoot("t:"), "t:\\");
    EXPECT_EQ(corvath::driveLetterAsRoot("T:\\"), "T:\\");
    EXPECT_EQ(corvath::driveLetterAsRoot("T:docs"), "T:docs");
    EXPECT_EQ(corvath::driveLetterAsRoot("1:"), "1:");
}
#endif
