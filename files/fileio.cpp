#include "files/fileio.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileio {

namespace fs = std::filesystem;

namespace {

// Links followed before a path counts as a loop (the system's own bound).
constexpr int kMaxLinks = 40;
// What a temporary file's name adds to the target's: "." and ".XXXXXX".
constexpr size_t kTemporaryExtra = 8;

Problem ErrnoProblem(int error) { return {std::strerror(error)}; }

std::string FolderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

// The temporary files of saves in progress, for a signal handler: a slot is
// free, being filled, or holds a name; only lock-free atomics are shared.
enum SlotState : int { kFree = 0, kFilling = 1, kHeld = 2 };
constexpr int kTemporarySlots = 8;
std::atomic<int> g_slotState[kTemporarySlots];
char g_slotName[kTemporarySlots][PATH_MAX];

int HoldTemporary(const char* name) {
    for (int slot = 0; slot < kTemporarySlots; ++slot) {
        int expected = kFree;
        if (!g_slotState[slot].compare_exchange_strong(expected, kFilling))
            continue;
        std::snprintf(g_slotName[slot], sizeof g_slotName[slot], "%s", name);
        g_slotState[slot].store(kHeld);
        return slot;
    }
    return -1;  // more saves at once than slots: this one is not covered
}

void ReleaseTemporary(int slot) {
    if (slot >= 0)
        g_slotState[slot].store(kFree);
}

extern "C" void RemoveTemporariesAndEnd(int signal) {
    for (int slot = 0; slot < kTemporarySlots; ++slot)
        if (g_slotState[slot].load() == kHeld)
            ::unlink(g_slotName[slot]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// A new file can be made in the folder: it is a folder we may write and enter.
Problem FolderTakesFiles(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return ErrnoProblem(errno);
    if (!S_ISDIR(st.st_mode))
        return {"not a folder"};
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return ErrnoProblem(errno);
    return {};
}

}  // namespace

bool EnsureFolder(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status))
        return fs::is_directory(status);
    return fs::create_directory(path, ec) && !ec;
}

Problem PrepareWritableFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
        return ErrnoProblem(errno);
    return FolderTakesFiles(path);
}

bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

int ReadPrefix(const std::string& path, size_t maxBytes, std::string& out) {
    out.clear();
    // Non-blocking: a FIFO without a writer must not hold the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    int error = ::fstat(fd, &st) != 0 ? errno : (S_ISREG(st.st_mode) ? 0 : EINVAL);
    char chunk[4096];
    while (error == 0 && out.size() < maxBytes) {
        const size_t want = std::min(sizeof chunk, maxBytes - out.size());
        const ssize_t n = ::read(fd, chunk, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        out.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return error;
}

Problem ResolveSaveTarget(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? Problem{} : ErrnoProblem(errno);
        if (!S_ISLNK(st.st_mode))
            return {};
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), link, sizeof link);
        if (length < 0)
            return ErrnoProblem(errno);
        if (static_cast<size_t>(length) >= sizeof link)
            return ErrnoProblem(ENAMETOOLONG);
        const fs::path next(std::string(link, static_cast<size_t>(length)));
        target = next.is_absolute() ? next.string() : (fs::path(FolderOf(target)) / next).string();
    }
    return ErrnoProblem(ELOOP);
}

Problem CheckSaveTarget(const std::string& path) {
    if (path.empty())
        return {"an empty name names no file"};
    std::string target;
    if (const Problem problem = ResolveSaveTarget(path, target))
        return problem;
    // The save writes "." NAME ".XXXXXX" first.
    if (fs::path(target).filename().string().size() + kTemporaryExtra > NAME_MAX)
        return ErrnoProblem(ENAMETOOLONG);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return {"not a regular file"};
    } else if (errno != ENOENT) {
        return ErrnoProblem(errno);
    }
    return FolderTakesFiles(FolderOf(target));
}

ReplaceResult ReplaceFileContent(const std::string& path, std::string_view bytes, int* error) {
    int ignored = 0;
    int& failure = error ? *error : ignored;
    failure = 0;
    std::string target;
    if (ResolveSaveTarget(path, target)) {
        failure = errno;
        return ReplaceResult::kNotReplaceable;
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        failure = EINVAL;
        return ReplaceResult::kNotReplaceable;
    }
    const std::string folder = FolderOf(target);
    std::string pattern = folder + "/." + fs::path(target).filename().string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        failure = errno;
        return ReplaceResult::kCannotCreate;
    }
    const int slot = HoldTemporary(name.data());
    const mode_t mode = exists ? (old.st_mode & 07777) : kNewFileMode;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    if (!ok)
        failure = errno;
    const bool closed = ::close(fd) == 0;
    if (ok && !closed)
        failure = errno;
    ok = ok && closed && ::rename(name.data(), target.c_str()) == 0;
    if (!ok) {
        if (failure == 0)
            failure = errno;
        ::unlink(name.data());
        ReleaseTemporary(slot);
        return ReplaceResult::kWriteFailed;
    }
    ReleaseTemporary(slot);
    SyncFolder(folder);
    return ReplaceResult::kOk;
}

void RemoveTemporariesOnSignals() {
    for (const int signal : {SIGINT, SIGTERM})
        std::signal(signal, RemoveTemporariesAndEnd);
}

}  // namespace fileio
