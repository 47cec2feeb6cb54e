#pragma once
// Where the edit screen's choice lists come from: the distinct companies, cities and
// categories of the main list's contacts, the fixed country names, and the ringtones
// (the sound files of the user's sound folders and the program's folder).

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

class SmartListControl;

// The 268 country and territory names, in the order they are offered.
std::span<const char16_t* const> countryNames();

enum class ContactValue { company, city, category };
// The distinct non-empty values of the contacts in `list`, sorted ignoring case. A
// categories text gives each of its comma-separated parts, trimmed.
std::vector<std::u16string> distinctContactValues(const SmartListControl& list,
                                                  ContactValue which);

// Where ringtones are looked for: the user's sound folders ($XDG_DATA_HOME/sounds, else
// ~/.local/share/sounds, and ~/Music), then the program's folder.
std::vector<std::filesystem::path> ringtoneFolders();
// "Default", then the file names of each folder that end in ".mp3", then ".wma",
// ".wav", ".mid" (each kind in the folder's listing order). A missing folder adds
// nothing; a name met twice is offered once.
std::vector<std::u16string> ringtoneChoices(std::span<const std::filesystem::path> folders);
// The file a ringtone choice names: the first of the folders holding a file of that
// name. Empty for "Default", for a name that is not a plain file name, and when none
// holds it.
std::filesystem::path ringtoneFile(std::u16string_view choice,
                                   std::span<const std::filesystem::path> folders);

} // namespace vantrel
