#pragma once

#include <stdexcept>

namespace corvath {

// The scans database cannot be opened, read or written; what() is one line
// that names the file and the reason.
class ResultsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace corvath

namespace corvath {

// There is no scans database yet: nothing was ever analyzed.
class NoResultsYet : public ResultsError {
public:
    using ResultsError::ResultsError;
};

}  // namespace corvath
