#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace corvath {

// Drive type codes, as the platform numbers them.
namespace drive_type {
inline constexpr int kUnknown = 0;
inline constexpr int kNoRootDir = 1;
inline constexpr int kRemovable = 2;
inline constexpr int kFixed = 3;
inline constexpr int kRemote = 4;
inline constexpr int kCdRom = 5;
inline constexpr int kRamDisk = 6;
}  // namespace drive_type

struct ShellInfo {
    std::string displayName; // "LABEL (/media/usb)" or "Local Disk (/)"
    std::string iconName;    // themed icon: drive-harddisk, drive-removable-media, ...
};

enum class ProbeOutcome {
    Readable,     // the first entry could be read
    Inaccessible, // no medium, I/O error, permission denied, stale, vanished, no answer in time
    OtherFailure, // any other failure; treated like a readable drive
};

struct DiskSpace {
    std::uint64_t totalBytes = 0;
    std::uint64_t totalFreeBytes = 0;
};

// The longest the accessibility probe or the disk-space query keeps its caller
// waiting for a drive that does not answer (a hung network drive).
inline constexpr std::chrono::milliseconds kDriveQueryBound{2000};

// What the drive logic needs of the operating system. The Linux layer reads the
// mount table; a Windows layer wraps the drive and shell calls.
class VolumeLayer {
public:
    virtual ~VolumeLayer() = default;
    // The drive roots in platform order, each followed by a NUL, the list closed by
    // one more NUL. Empty when the query fails.
    virtual std::string driveRoots() = 0;
    // False when the drive cannot be described (for example its mount point vanished).
    virtual bool shellInfo(const std::string& root, ShellInfo& info) = 0;
    virtual int driveType(const std::string& driveName) = 0;
    // Opens the root and reads its first entry, bounded in time (kDriveQueryBound).
    virtual ProbeOutcome probe(const std::string& root) = 0;
    // False when the query fails or does not answer in time; space is then left zero.
    virtual bool diskSpace(const std::string& driveName, DiskSpace& space) = 0;
};

}  // namespace corvath
