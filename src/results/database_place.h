#pragma once

#include <string>

namespace corvath {

// Where the scans database lies, settled before SQLite touches the file. The
// folders above it are found as every program finds them (a linked home or
// data folder is followed); only the file itself must not be a link.
struct DatabasePlace {
    std::string shown;   // the path as given, for messages
    std::string folder;  // the folder that holds it, every link resolved
    std::string file;    // folder and file name
    bool exists = false;
};

// Throws ResultsError when the file is a link or not a regular file, or its
// folder cannot be found. makeFolder: a missing folder is made, each new folder
// readable by its owner only.
DatabasePlace findDatabase(const std::string& path, bool makeFolder);

// Before writing: the file (when there is one) must be writable and the user's
// own, and no folder above it writable by other users, unless it is sticky and
// the user's or root's (as /tmp is): otherwise another user could plant the
// file or swap it. Throws ResultsError.
void checkSafeToWrite(const DatabasePlace& place);

// Makes the file, empty, readable and writable by its owner only; SQLite gives
// the files it keeps beside it the same mode. One made meanwhile by another
// process is left as it is.
void createPrivateFile(const DatabasePlace& place);

}  // namespace corvath
