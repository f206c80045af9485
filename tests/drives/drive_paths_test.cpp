#include "drives/drive_paths.h"

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
