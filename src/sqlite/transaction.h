#pragma once

#include <type_traits>

#include "sqlite/connection.h"

namespace corvath::sqlite {

// Runs body inside a write transaction taken up front, so that concurrent
// writers queue on the lock wait instead of failing on a lock upgrade. On any
// failure it rolls back and rethrows: the file stays as it was. Returns what
// body returns.
template <typename Body>
auto inWriteTransaction(Connection& db, Body&& body) {
    db.execute("BEGIN IMMEDIATE");
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
            body();
            db.execute("COMMIT");
        } else {
            auto result = body();
            db.execute("COMMIT");
            return result;
        }
    } catch (...) {
        db.rollbackQuietly();
        throw;
    }
}

}  // namespace corvath::sqlite
