// Small POSIX file helpers shared by the settings file and the log file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fileio {

// Files the program creates hold device passwords: only their owner reads them.
constexpr unsigned kNewFileMode = 0600;

// Why a file operation cannot be done, in plain words; empty when it can.
struct Problem {
    std::string reason;
    explicit operator bool() const { return !reason.empty(); }
};

// Makes sure a folder exists: false when the path names something that is not
// a folder, or when the folder cannot be created.
bool EnsureFolder(const std::string& path);
// The same with the reason, and the folder must take new files.
Problem PrepareWritableFolder(const std::string& path);

// Writes every byte, retrying short writes and interrupted calls.
bool WriteAll(int fd, const char* data, size_t length);

// Reads at most maxBytes from the start of a regular file into out; the
// system's error number, 0 on success.
int ReadPrefix(const std::string& path, size_t maxBytes, std::string& out);

// Where a save of path lands: symbolic links are followed to their last
// target, which need not exist yet.
Problem ResolveSaveTarget(const std::string& path, std::string& target);
// Whether a save of path can be made: its target is a regular file or a free
// name in an existing folder, short enough for the temporary file beside it.
// Nothing is created or changed.
Problem CheckSaveTarget(const std::string& path);

enum class ReplaceResult { kOk, kNotReplaceable, kCannotCreate, kWriteFailed };

// Replaces the content of the file path leads to (see ResolveSaveTarget) as
// one step: the bytes go to a temporary file in the same folder, are flushed
// to the disk and renamed over the target, so a failure at any point leaves
// the old content whole. A target that exists and is not a regular file is
// never replaced. An existing file keeps its permission bits; a new one gets
// kNewFileMode.
// error, when given, receives the system's error number of a failure.
ReplaceResult ReplaceFileContent(const std::string& path, std::string_view bytes, int* error = nullptr);

// When SIGINT or SIGTERM ends the process, the temporary file of a save in
// progress is removed first; the process then ends as the signal would.
void RemoveTemporariesOnSignals();

}  // namespace fileio
