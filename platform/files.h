// Local files, through POSIX. Paths are UTF-16 text, passed to the OS as UTF-8.
// Used by settings/, stations/, update/ and the updater; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

// Size of a regular file; nothing when the path is missing or is not a regular file (a folder).
std::optional<std::int64_t> fileSize(const Text& path);
bool fileExists(const Text& path); // a regular file; folders do not count
bool folderExists(const Text& path);

// Deletes a regular file; with clearReadOnly the file is made writable first (a read-only file
// can then go on every platform). Folders are never deleted.
bool deleteFile(const Text& path, bool clearReadOnly);

// Fails when the source is missing or the target already exists.
bool renameFile(const Text& from, const Text& to);

std::optional<std::string> readWholeFile(const Text& path);

// Creates the file or empties an existing one, then writes the bytes.
bool writeWholeFile(const Text& path, std::string_view bytes);

// Writes a temporary file beside `path` and renames it over `path`, keeping the old file's
// permissions: a crash mid-write never leaves a truncated file.
bool replaceFileAtomically(const Text& path, std::string_view bytes);

// True when the program may change the file: it can be opened for writing and its owner
// write bit is set (a read-only file stays read-only even for an administrator).
bool fileWritable(const Text& path);
bool folderWritable(const Text& path);

// Lines of a file, ends CR LF, LF or CR removed; a last line without an end is read too.
// Nothing when the file cannot be opened.
std::optional<std::vector<std::string>> readFileLines(const Text& path);

Text currentFolder();
Text executableFolder();
