#pragma once

#include "platform/linux/registry_store_editor.h"
#include "reg_arguments.h"

#include <functional>
#include <iosfwd>
#include <optional>

namespace corvath {

// Asks a yes/no question; nullopt when nobody can answer (no terminal, end of input).
using RegConfirm = std::function<std::optional<bool>(const std::string& question)>;

// Carries out one command against the store and returns the exit status: 0 when
// done, 1 when anything went wrong or was declined, in which case nothing changed.
int runRegCommand(const RegArguments& args, RegistryStoreEditor& store, std::ostream& out, std::ostream& err,
                  const RegConfirm& confirm);

void printRegUsage(std::ostream& out);

}  // namespace corvath
