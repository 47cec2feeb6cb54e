#pragma once
// vantrel-device seed-demo: fills an empty device with demo data.

#include <string>
#include <vector>

namespace vantrel::tools {

int runSeedDemo(const std::vector<std::string>& args);

extern const char* const seedDemoUsage;

} // namespace vantrel::tools
