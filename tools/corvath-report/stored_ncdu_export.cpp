#include "stored_ncdu_export.h"

#include <limits>
#include <map>
#include <vector>

#include "ncdu_export.h"

namespace corvath {

namespace {

std::uint64_t less(std::uint64_t total, std::uint64_t part) { return total > part ? total - part : 0; }

void addNumber(std::string& text, const char* key, std::uint64_t value) {
    if (value == 0) return;  // ncdu leaves out what is zero
    text += key;
    text += std::to_string(value);
}

}  // namespace

void writeStoredNcduExport(BufferedOutput& out, const ScanReader& reader, const StoredScan& scan,
                           const std::string& progver) {
    std::map<std::string, std::vector<StoredFile>> filesByFolder;
    for (StoredFile& file : reader.largestFiles(scan, "", std::numeric_limits<std::size_t>::max())) {
        filesByFolder[file.folder].push_back(std::move(file));
    }
    out.write("[1,2,{\"progname\":\"corvath-report\",\"progver\":" + ncduString(progver) +
              ",\"timestamp\":" +
              std::to_string(std::chrono::duration_cast<std::chrono::seconds>(scan.finished.time_since_epoch()).count()) +
              "},");
    // Depth first without recursion, with one path for the folder being
    // written: a 20,000-deep chain costs its length, not its length squared.
    struct Frame {
        std::size_t pathLength;  // of the folder's path within path
        std::vector<StoredFolder> children;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    std::string path;
    auto open = [&](const StoredFolder& folder) {
        // A scan's folders are no deeper than it has folders: deeper, a folder holds itself.
        if (stack.size() > scan.folders) reader.failHoldsItself(folder.node);
        std::vector<StoredFolder> children = reader.children(folder.node);
        std::uint64_t allocated = folder.allocated, apparent = folder.apparent;
        for (const StoredFolder& child : children) {
            allocated = less(allocated, child.allocated);
            apparent = less(apparent, child.apparent);
        }
        const auto files = filesByFolder.find(path);
        if (files != filesByFolder.end()) {
            for (const StoredFile& file : files->second) {
                allocated = less(allocated, file.allocated);
                apparent = less(apparent, file.apparent);
            }
        }
        std::string text = stack.empty() ? "\n[{\"name\":" : ",\n[{\"name\":";
        text += ncduString(stack.empty() ? scan.root : folder.name);
        if (folder.flags & StoredFolder::kOtherFilesystem) {
            text += ",\"excluded\":\"othfs\"";
        } else if (folder.flags & StoredFolder::kExcluded) {
            text += ",\"excluded\":\"pattern\"";  // as ncdu writes a folder its --exclude left out
        } else {
            addNumber(text, ",\"asize\":", apparent);
            addNumber(text, ",\"dsize\":", allocated);
        }
        if (folder.flags & StoredFolder::kUnreadable) text += ",\"read_error\":true";
        text += "}";
        if (files != filesByFolder.end()) {
            for (const StoredFile& file : files->second) {
                text += ",\n{\"name\":" + ncduString(file.name);
                addNumber(text, ",\"asize\":", file.apparent);
                addNumber(text, ",\"dsize\":", file.allocated);
                text += "}";
            }
        }
        out.write(text);
        stack.push_back({path.size(), std::move(children), 0});
    };
    path = scan.root;
    open(reader.folder(scan.top));
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.children.size()) {
            out.write("]");
            stack.pop_back();
            if (!stack.empty()) path.resize(stack.back().pathLength);
            continue;
        }
        const StoredFolder child = top.children[top.next++];
        path.resize(top.pathLength);
        appendChild(path, child.name);
        open(child);
    }
    out.write("]\n");
    out.flush();
}

}  // namespace corvath
