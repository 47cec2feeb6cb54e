#pragma once
// The script interface's view of the setting store: one lookup evaluated and printed,
// so tests and scripts can check key resolution end to end.
//
//   setting text|colour|measure|flag|number TYPE INSTANCE PROPERTY
//   setting box TYPE INSTANCE PROPERTY LEFT TOP RIGHT BOTTOM   (the parent rectangle)
//   setting font TYPE INSTANCE PROPERTY
//   setting background TYPE INSTANCE PROPERTY
//   settings-load FILE
//
// TYPE "global" with an empty INSTANCE ("") gives the program-wide values.

#include "settings/SettingStore.h"

#include <string>
#include <vector>

namespace vantrel {

// Runs "setting" with its words (the command name excluded). False with a message in
// `error` for a malformed command; otherwise the result, one line, in `output`.
bool runSettingCommand(SettingStore& store, const std::vector<std::u16string>& words,
                       std::string& output, std::string& error);
bool runSettingCommand(const std::vector<std::u16string>& words, std::string& output,
                       std::string& error);

// Runs "settings-load" with its words: adds every line of the file to the store.
bool runSettingsLoadCommand(SettingStore& store, const std::vector<std::u16string>& words,
                            std::string& output, std::string& error);
bool runSettingsLoadCommand(const std::vector<std::u16string>& words, std::string& output,
                            std::string& error);

// The printed forms, shared with tests: "#RRGGBB" or "none"; a font's and a
// background's fields as "name=value" pairs.
std::string describeColour(platform::Colour colour);
std::string describeFont(const Font& font);
std::string describeBackground(const Background& background);

} // namespace vantrel
