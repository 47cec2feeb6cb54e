#pragma once
// Programming errors stop here. The trace names the module the way the phone build did
// ("LightControl: DEBUGCHK failed in file LightControl.cpp at line 42"), then aborts.

#include <string_view>

namespace vantrel::platform {

[[noreturn]] void debugCheckFailed(std::string_view module, const char* file, int line);

} // namespace vantrel::platform

#define VT_DEBUGCHK(module, condition)                                                        \
    do {                                                                                      \
        if (!(condition))                                                                     \
            ::vantrel::platform::debugCheckFailed(module, __FILE__, __LINE__);                \
    } while (0)
