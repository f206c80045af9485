#pragma once

#include <stdexcept>

namespace corvath {

// The scans database cannot be opened, read or written; what() is one line
// that names the file and the reason.
class ResultsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// There is no scans database yet: nothing was ever analyzed.
class NoResultsYet : public ResultsError {
public:
    using ResultsError::ResultsError;
};

// The file could not be opened, read or written where it lies: permissions, a
// read-only or full filesystem, an I/O error.
class ResultsFileAccessError : public ResultsError {
public:
    using ResultsError::ResultsError;
};

}  // namespace corvath
