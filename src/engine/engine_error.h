#pragma once

#include <stdexcept>

namespace corvath {

// A failure reported by an engine operation; what() is a message for the user.
class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace corvath
