#pragma once
// vantrel-device's commands on the contact store: list, add, delete, and vCard import
// and export.

#include <string>
#include <vector>

namespace vantrel::tools {

// `args` are the words after "contacts". Exit codes: 0 done, 1 failed (for import: some
// cards were skipped, the others are in), 2 usage.
int runContacts(const std::vector<std::string>& args);

extern const char* const contactsUsage;

} // namespace vantrel::tools
