#pragma once
// vantrel-device's commands on the phone's system state: registry values, the state
// values the program watches, and registered messages posted to the running program.

#include <string>
#include <vector>

namespace vantrel::tools {

// `args` are the words after the command's name. Exit codes: 0 done, 1 failed, 2 usage.
int runState(const std::vector<std::string>& args);
int runPost(const std::vector<std::string>& args);
int runRegistry(const std::vector<std::string>& args);

extern const char* const systemUsage;

} // namespace vantrel::tools
