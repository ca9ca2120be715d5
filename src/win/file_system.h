#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plivora {

// Names of the entries of a folder that a file manager would show: hidden entries (names that
// begin with a dot) are left out. Links are followed to decide what an entry is. A folder that
// cannot be read gives an empty list; an entry that vanishes while it is looked at is skipped.
// The entry's type from the folder decides without a file-status call where the file system gives
// one. listFiles keeps only names that match one of the ';'-separated patterns (all when empty).
std::vector<std::string> listSubfolders(const std::string& folder);
std::vector<std::string> listFiles(const std::string& folder, const std::string& patterns = {});
// How many file-status calls the listings made in this process; listing must stay at most one
// an entry, which matters on network shares where each call is a round trip.
std::uint64_t listingStatusCalls();

// Whether the path names an existing folder (links followed).
bool isFolder(const std::string& path);
// Whether the path names an existing file that is not a folder (links followed).
bool fileExists(const std::string& path);
// Whether the folder can be opened for listing.
bool isReadableFolder(const std::string& path);
// Zero when the folder can be opened for listing, otherwise the errno of the failed open.
int folderOpenError(const std::string& path);
// The length of a file in bytes; throws Error 53 when it does not exist.
std::int64_t fileLength(const std::string& path);

// The folder part of a path ending in '/', and the text after the last '/'.
std::string withTrailingSlash(const std::string& folder);
// Removes a trailing '/' unless the path is the root, and collapses "//" and "/./".
std::string normalizeFolder(const std::string& folder);

// The index in `roots` of the root folder that holds `path` (the path is the root or lies below
// it), the longest when several do, as the mount point of a nested mount wins over its parent;
// -1 when none does.
int longestRootHolding(const std::vector<std::string>& roots, const std::string& path);

// Case-insensitive order of names, as a file list sorts them; ties broken by the exact bytes.
bool lessCaseInsensitive(const std::string& a, const std::string& b);
// Whether a name matches one of the patterns separated by semicolons ("*.gif;*.jpg"), ignoring
// case.
bool matchesPattern(const std::string& name, const std::string& patterns);

// The process's current folder and the folder of the running program.
std::string currentFolder();
std::string programFolder();

// Where the settings file lives: the program's folder when the program may write there and it is
// not a system folder (a program run from a folder of its own), otherwise the user's
// configuration folder
// ($XDG_CONFIG_HOME/plivora, or ~/.config/plivora), created when missing.
std::string settingsFolderFor(const std::string& programFolder);

// What tells one state of a file from another. Size and modification time may be put back by
// whoever rewrites a file; the file's identity (device and inode: replaced by a rename) and its
// change time (set by the system on every write and every change of the times) cannot be.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;  // within the second
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t ctimeSeconds = 0;
    std::int64_t ctimeNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of a regular file (links followed); none for anything else or nothing.
std::optional<FileStamp> fileStamp(const std::string& path);

// A drive: a mounted file system that holds files. Its root is an absolute folder ending in '/'.
struct Drive {
    std::string root;
    std::string label;  // what the drive list shows
    bool operator==(const Drive&) const = default;
};

// The drives of this machine: the mounted file systems that hold files, labelled by mount point,
// the root first, then the others in order. Pseudo file systems (proc, sysfs, cgroups, ...) and
// system areas are left out.
std::vector<Drive> mountedDrives();

}  // namespace plivora
