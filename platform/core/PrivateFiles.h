#pragma once
// The device's folders and files are private to the user who runs the program: folders
// 0700 and files 0600, owned by that user. Another user of the machine must neither read
// a store nor lock one (a read lock on SQLite's "-shm" file makes every write fail).
// Every store makes its folder and its file through these before SQLite opens it;
// SQLite then gives the "-wal" and "-shm" files the database file's mode.
//
// Existing folders and files of this user are tightened (group and other access taken
// away, the owner's bits left alone) rather than refused, so a device made before this
// rule keeps its data; anything that belongs to another user, or is a link or not the
// expected kind, is refused.

#include <filesystem>
#include <string>

namespace vantrel::platform {

// Makes the folder with mode 0700 (missing parents get the usual mode), or checks and
// tightens an existing one. False, with the reason in `error`, when it is refused.
bool makePrivateFolder(const std::filesystem::path& folder, std::string* error = nullptr);

// Creates the file empty with mode 0600 when it is missing, or checks and tightens an
// existing regular file.
bool makePrivateFile(const std::filesystem::path& file, std::string* error = nullptr);

// The same check for a file that may not exist (SQLite's "-wal", "-shm"): true when
// it is missing, and never creates it.
bool checkPrivateFileIfPresent(const std::filesystem::path& file, std::string* error = nullptr);

// makePrivateFolder for its folder, then makePrivateFile, the file left open for reading
// and writing (a lock file, say); -1 when either is refused.
int openPrivateFile(const std::filesystem::path& file, std::string* error = nullptr);

} // namespace vantrel::platform
