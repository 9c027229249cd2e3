// Small POSIX file helpers shared by the settings file and the log file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fileio {

// Makes sure a folder exists: false when the path names something that is not
// a folder, or when the folder cannot be created.
bool EnsureFolder(const std::string& path);

// Writes every byte, retrying short writes and interrupted calls.
bool WriteAll(int fd, const char* data, size_t length);

// Reads at most maxBytes from the start of a regular file into out.
bool ReadPrefix(const std::string& path, size_t maxBytes, std::string& out);

// True when path could be opened for writing without creating or changing
// anything: an existing writable regular file, or a free name in a folder.
bool CanCreateOrReplace(const std::string& path);

enum class ReplaceResult { kOk, kCannotCreate, kWriteFailed };

// Replaces the file's content as one step: the bytes go to a temporary file
// in the same folder, are flushed to the disk and renamed over the target, so
// a failure at any point leaves the old content whole. An existing file keeps
// its permission bits.
ReplaceResult ReplaceFileContent(const std::string& path, std::string_view bytes);

}  // namespace fileio
