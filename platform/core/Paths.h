#pragma once
// The two folders of the device. VANTREL_HOME is the program's folder (themes,
// languages, settings.ini, caches, dump.txt); VANTREL_DEVICE holds the platform's own
// state (registry, stores, sockets). Both are read from the environment on every call
// so a test can point them at a fresh folder.

#include <filesystem>
#include <string_view>

namespace vantrel::platform {

std::filesystem::path programFolder();
std::filesystem::path deviceFolder();

// The user's home ($HOME) and data folder ($XDG_DATA_HOME, else ~/.local/share); empty
// when the environment names neither.
std::filesystem::path homeFolder();
std::filesystem::path userDataFolder();

// Backslashes become slashes; an absolute path is used as given, any other is taken
// relative to the program's folder ("images\x.png" is "<program folder>/images/x.png").
std::filesystem::path resolveProgramPath(std::u16string_view name);

// Creates the folder (and its parents) when missing; false when that is impossible.
bool ensureFolder(const std::filesystem::path& folder);

// The most readWholeFile takes unless told otherwise: far above any settings file,
// language, script or picture, and well below what would hurt the machine.
inline constexpr size_t kMaxWholeFileSize = 32u << 20;

// Reads a whole regular file of at most maxBytes; false when it cannot be opened or
// read, is not a regular file (a FIFO or a device such as /dev/zero would never end) or
// is larger. `error`, when given, says which.
bool readWholeFile(const std::filesystem::path& file, std::string& out,
                   size_t maxBytes = kMaxWholeFileSize, std::string* error = nullptr);

// Writes a whole file through a temporary sibling and a rename, so readers see the old
// or the new content, never half of it.
bool writeFileAtomically(const std::filesystem::path& file, std::string_view content);

} // namespace vantrel::platform
