#pragma once
// Handing work to other programs of the desktop, as the phone shell's process creation
// and shell-execute did: a program started with its argument words, the programs the
// device has configured for a role (the old messaging program), the desktop's mail
// composer, and the user's pictures folder that the picture chooser reads.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform::shell {

// Starts `program` (a path, or a bare name looked up in PATH) with `arguments`, each
// handed over as one word: no shell ever parses them, so a number or an address cannot
// smuggle in options or commands. Does not wait for the program, and leaves no child to
// reap. False when it is not an executable or could not be started.
bool startProgram(const std::filesystem::path& program, const std::vector<std::u16string>& arguments);

// Where the device's configured programs are named: one string value per role under
// this key of the local machine, holding the program's path.
inline constexpr std::u16string_view programsKey = u"Software\\Vantrel\\Shell\\Programs";
// The program configured for `role` ("Messaging"); empty when none is.
std::filesystem::path configuredProgram(std::u16string_view role);

// "mailto:" and the recipient `displayName <address>`, the name quoted as a mail header
// wants it (a file-as name holds a comma, which would otherwise split it in two
// recipients) and every byte outside the unreserved set percent-encoded.
std::string mailtoUri(std::u16string_view displayName, std::u16string_view address);
// Opens the desktop's mail composer ("xdg-email") with a new mail to one recipient.
// False when the composer could not be started.
bool composeMail(std::u16string_view displayName, std::u16string_view address);

// The value of XDG_PICTURES_DIR in the text of a "user-dirs.dirs" file, with a leading
// "$HOME" replaced by `home`; nothing when the file does not set it to an absolute path
// or a path under $HOME.
std::optional<std::filesystem::path> picturesDirFromUserDirs(std::string_view text,
                                                             const std::filesystem::path& home);
// The user's pictures folder: the one "user-dirs.dirs" (XDG_CONFIG_HOME, else
// ~/.config) names, else ~/Pictures. Empty without a home folder.
std::filesystem::path picturesFolder();

} // namespace vantrel::platform::shell
