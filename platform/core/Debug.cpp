#include "platform/core/Debug.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace vantrel::platform {

void debugCheckFailed(std::string_view module, const char* file, int line) {
    std::string name = std::filesystem::path(file).filename().string();
    std::fprintf(stderr, "%.*s: DEBUGCHK failed in file %s at line %d \r\n",
                 static_cast<int>(module.size()), module.data(), name.c_str(), line);
    std::fflush(stderr);
    std::abort();
}

} // namespace vantrel::platform
