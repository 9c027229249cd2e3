#include "files/fileio.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileio {

namespace fs = std::filesystem;

bool EnsureFolder(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status))
        return fs::is_directory(status);
    return fs::create_directory(path, ec) && !ec;
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

bool ReadPrefix(const std::string& path, size_t maxBytes, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char chunk[4096];
    while (ok && out.size() < maxBytes) {
        const size_t want = std::min(sizeof chunk, maxBytes - out.size());
        const ssize_t n = ::read(fd, chunk, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        out.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok;
}

bool CanCreateOrReplace(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        struct stat st {};
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        ::close(fd);
        return regular;
    }
    if (errno != ENOENT)
        return false;
    std::error_code ec;
    const fs::path parent = fs::path(path).parent_path();
    return fs::is_directory(parent.empty() ? fs::path(".") : parent, ec);
}

namespace {

// The file that a symbolic link names is the one replaced, so the link stays.
std::string ResolvedTarget(const std::string& path) {
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real.string();
}

// A new file gets the permission bits a new document usually has.
constexpr mode_t kNewFileMode = 0644;

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

ReplaceResult ReplaceFileContent(const std::string& path, std::string_view bytes) {
    const std::string target = ResolvedTarget(path);
    const fs::path folderPath = fs::path(target).parent_path();
    const std::string folder = folderPath.empty() ? "." : folderPath.string();
    std::string pattern = folder + "/." + fs::path(target).filename().string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return ReplaceResult::kCannotCreate;
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : kNewFileMode;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(name.data(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
        return ReplaceResult::kWriteFailed;
    }
    SyncFolder(folder);
    return ReplaceResult::kOk;
}

}  // namespace fileio
