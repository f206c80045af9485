#pragma once

#include <functional>
#include <stdexcept>

namespace corvath {

// Why the export could not be written, as one line ("cannot write FILE: reason").
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The export was cancelled while it waited to write (a FIFO no one reads).
class ExportCancelled : public ExportError {
public:
    using ExportError::ExportError;
};

// Asked while a write waits: true ends the wait with ExportCancelled.
using CancelCheck = std::function<bool()>;

}  // namespace corvath
