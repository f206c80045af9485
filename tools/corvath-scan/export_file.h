#pragma once

#include <string>

#include "buffered_output.h"
#include "engine/posix/unique_fd.h"

namespace corvath {

// The file an export goes to, held so that nothing the user had is lost:
// - a regular file, or a name that does not exist yet, is written as a new file
//   beside it that has no name until commit() renames it into place, so a failed
//   or cancelled export leaves the old file exactly as it was;
// - a symbolic link is followed first (to any depth), so the link stays a link
//   and its target gets the export; but, as the kernel's protected_symlinks
//   rule has it, not a link in a sticky folder anyone may write to (as /tmp)
//   unless it is the caller's or the folder owner's: another user may have
//   planted it there to have the export overwrite a file of the caller's;
// - anything else that exists (a device such as /dev/null, a FIFO) is written
//   directly and never removed or replaced;
// - "-" is standard output.
// Where a filesystem has no nameless files, the file beside the target has a
// hidden name, ".NAME.corvath-PID-XXXXXX"; one left by an export that was
// killed is removed by the next export to NAME.
class ExportFile {
public:
    // Throws ExportError "cannot write NAME: reason". With cancelled, opening a
    // FIFO that no one reads yet waits asking it, and ends with ExportCancelled
    // once it says so (without, it waits as open does).
    explicit ExportFile(const std::string& name, const CancelCheck& cancelled = {});
    // Removes what commit() did not put in place.
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    int fd() const;
    const std::string& name() const { return name_; }
    // Where the export's temporary data goes: beside the file, or $TMPDIR (else
    // /tmp) for standard output and files written directly.
    const std::string& scratchFolder() const { return scratch_; }
    // Puts the complete export in place; throws ExportError.
    void commit();

private:
    void openDirectly(const CancelCheck& cancelled);
    void createBeside(bool exists, unsigned mode, unsigned owner, unsigned group);
    // The hidden names of this target's files: ".NAME.corvath-".
    std::string hiddenPrefix() const;
    void removeStaleHiddenFiles() const;
    void linkUnderTemporaryName();

    std::string name_;
    std::string target_;  // the path that gets the export, links resolved
    std::string scratch_;
    UniqueFd file_;
    bool replace_ = false;  // written beside the target, renamed over it
    std::string temporary_;  // the name it has beside the target, while it has one
};

// A folder for temporary files: $TMPDIR, else /tmp.
std::string temporaryFolder();

}  // namespace corvath
