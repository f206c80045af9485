#include "platform/mountinfo_file.h"

#include "support/temp_dir.h"

namespace corvath::test {

namespace {

std::string escaped(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ') {
            out += "\\040";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

MountInfoFile& MountInfoFile::add(const std::string& device, const std::string& fsRoot,
                                  const std::string& mountPoint, const std::string& fsType,
                                  const std::string& source, const std::string& options) {
    const int id = nextId_++;
    text_ += std::to_string(id) + " 1 " + device + " " + escaped(fsRoot) + " " + escaped(mountPoint) + " " +
             options + " shared:1 - " + fsType + " " + escaped(source) + " " + options + "\n";
    return *this;
}

std::string MountInfoFile::write() const {
    writeFile(file_, text_);
    return file_.string();
}

}  // namespace corvath::test
