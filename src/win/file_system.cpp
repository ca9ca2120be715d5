#include "win/file_system.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "win/error.h"

namespace plivora {

namespace {

enum class EntryKind { Folder, File };

std::atomic<std::uint64_t> g_listingStatusCalls{0};

// Whether a directory entry is of the wanted kind. The entry's own type answers without a
// file-status call; only where the file system gives none, or for a link, is the target looked
// at, as a file list shows what a link points to.
bool entryIs(const dirent& entry, const std::string& fullName, EntryKind wanted) {
    switch (entry.d_type) {
        case DT_DIR:
            return wanted == EntryKind::Folder;
        case DT_REG:
            return wanted == EntryKind::File;
        case DT_UNKNOWN:
        case DT_LNK:
            break;
        default:
            return false;  // devices, pipes and sockets are neither
    }
    ++g_listingStatusCalls;
    struct stat info {};
    if (::stat(fullName.c_str(), &info) != 0) {
        return false;  // vanished, or a dangling link
    }
    return wanted == EntryKind::Folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode);
}

std::vector<std::string> listEntries(const std::string& folder, EntryKind wanted,
                                     const std::string& patterns) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) {
        return names;
    }
    const std::string prefix = withTrailingSlash(folder);
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') {
            continue;
        }
        // The pattern is cheaper than a file-status call, so it is tried first.
        if (!patterns.empty() && !matchesPattern(name, patterns)) {
            continue;
        }
        if (entryIs(*entry, prefix + name, wanted)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), lessCaseInsensitive);
    return names;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// File systems that hold no user files.
bool isPseudoFileSystem(const std::string& type) {
    static const std::set<std::string> pseudo = {
        "proc",       "sysfs",      "devtmpfs",  "devpts",  "cgroup",      "cgroup2",
        "mqueue",     "securityfs", "debugfs",   "tracefs", "pstore",      "bpf",
        "autofs",     "hugetlbfs",  "configfs",  "fusectl", "binfmt_misc", "nsfs",
        "rpc_pipefs", "efivarfs",   "selinuxfs", "ramfs",   "squashfs",    "tmpfs",
    };
    return pseudo.count(type) != 0;
}

// Undoes the octal escapes (\040 for a space) of /proc/self/mounts.
std::string unescapeMountField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 2])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 3]))) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> listSubfolders(const std::string& folder) {
    return listEntries(folder, EntryKind::Folder, {});
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& patterns) {
    return listEntries(folder, EntryKind::File, patterns);
}

std::uint64_t listingStatusCalls() {
    return g_listingStatusCalls.load();
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool isReadableFolder(const std::string& path) {
    return folderOpenError(path) == 0;
}

int folderOpenError(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return errno;
    }
    ::closedir(dir);
    return 0;
}

std::int64_t fileLength(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw Error(ErrorNumber::FileNotFound);
    }
    return static_cast<std::int64_t>(info.st_size);
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FileStamp{static_cast<std::int64_t>(info.st_size),
                     static_cast<std::int64_t>(info.st_mtim.tv_sec),
                     static_cast<std::int64_t>(info.st_mtim.tv_nsec),
                     static_cast<std::uint64_t>(info.st_dev),
                     static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::int64_t>(info.st_ctim.tv_sec),
                     static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
}

std::string withTrailingSlash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') {
        return folder;
    }
    return folder + "/";
}

int longestRootHolding(const std::vector<std::string>& roots, const std::string& path) {
    const std::string target = withTrailingSlash(path);
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        const std::string root = withTrailingSlash(roots[i]);
        if (target.rfind(root, 0) == 0 && (best < 0 || root.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    return best;
}

std::string normalizeFolder(const std::string& folder) {
    std::vector<std::string> parts;
    std::stringstream stream(folder);
    std::string part;
    while (std::getline(stream, part, '/')) {
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const std::string& p : parts) {
        out += "/" + p;
    }
    return out.empty() ? "/" : out;
}

bool lessCaseInsensitive(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char ca = asciiLower(a[i]);
        const char cb = asciiLower(b[i]);
        if (ca != cb) {
            return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

bool matchesPattern(const std::string& name, const std::string& patterns) {
    std::stringstream stream(patterns);
    std::string pattern;
    while (std::getline(stream, pattern, ';')) {
        if (!pattern.empty() && ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
            return true;
        }
    }
    return false;
}

std::string currentFolder() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            return "/";
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string programFolder() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return currentFolder();
    }
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::string settingsFolderFor(const std::string& programFolder) {
    // An installed program lives in a folder of the system, which even a writable one (root's)
    // must not collect files in.
    const std::string folder0 = withTrailingSlash(programFolder);
    const bool installed = folder0.rfind("/usr/", 0) == 0 || folder0.rfind("/opt/", 0) == 0 ||
                           folder0 == "/bin/" || folder0 == "/sbin/";
    if (!installed && ::access(programFolder.c_str(), W_OK) == 0) {
        return programFolder;
    }
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.config";
    } else {
        return programFolder;
    }
    const std::string folder = withTrailingSlash(base) + "plivora";
    ::mkdir(base.c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

std::vector<Drive> mountedDrives() {
    std::vector<Drive> drives{{"/", "/"}};
    std::ifstream mounts("/proc/self/mounts");
    std::string line;
    std::vector<std::string> others;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) {
            continue;
        }
        mountPoint = unescapeMountField(mountPoint);
        if (isPseudoFileSystem(type) || mountPoint == "/" || !isFolder(mountPoint)) {
            continue;
        }
        // System areas are not places where a user keeps pictures.
        static const char* const systemAreas[] = {"/proc", "/sys",  "/dev",
                                                  "/run",  "/boot", "/snap"};
        bool system = false;
        for (const char* area : systemAreas) {
            const std::string a = area;
            if (mountPoint == a || mountPoint.rfind(a + "/", 0) == 0) {
                system = mountPoint.rfind("/run/media/", 0) != 0;
            }
        }
        if (!system) {
            others.push_back(mountPoint);
        }
    }
    std::sort(others.begin(), others.end());
    others.erase(std::unique(others.begin(), others.end()), others.end());
    for (const std::string& mountPoint : others) {
        drives.push_back({withTrailingSlash(mountPoint), mountPoint});
    }
    return drives;
}

}  // namespace plivora
