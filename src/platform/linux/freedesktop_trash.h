#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <sys/types.h>

#include "platform/shared/bounded_call.h"
#include "run/trash_can.h"

namespace corvath {

// Moves an item into the desktop's trash, laid out as freedesktop.org has it
// (see trash_folder.h for which): the record info/NAME.trashinfo is made
// first, under a name no other item holds in files/ or info/, then the item is
// renamed into files/NAME from the folder it was found in; should that fail,
// the record goes again. Runs on the calling thread.
TrashMove moveToTrash(const TrashItem& item, const std::string& homeTrash, uid_t user);

// The TrashCan of the Linux desktop: the user's home trash at
// $XDG_DATA_HOME/Trash, and each drive's own. Both calls run on a bounded
// worker, so a drive that hangs never holds up the window for good.
class FreedesktopTrash : public TrashCan {
public:
    explicit FreedesktopTrash(std::chrono::milliseconds moveBound = std::chrono::seconds(10),
                              std::shared_ptr<WorkerBudget> budget = processWorkerBudget());

    TrashCheck check(const TrashItem& item, std::chrono::milliseconds bound) override;
    TrashMove move(const TrashItem& item) override;

private:
    std::chrono::milliseconds moveBound_;
    std::shared_ptr<WorkerBudget> budget_;
};

}  // namespace corvath
