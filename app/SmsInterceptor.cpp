#include "app/SmsInterceptor.h"

#include "platform/core/Paths.h"
#include "platform/registry/Registry.h"

#include <dlfcn.h>

namespace vantrel {

using platform::registry::Root;

bool registerSmsInterceptorIfNeeded() {
    uint32_t rule = 0;
    if (platform::registry::readDword(Root::localMachine,
                                      u"\\Software\\Microsoft\\Inbox\\Svc\\SMS\\Rules",
                                      u"{719758B8-8F90-4585-9242-78E25981ED6B}", rule))
        return false;
    // The library is installed beside the executable; a copy in the program's folder
    // comes first. The executable's folder is named outright rather than left to the
    // run path, which a sanitizer's dlopen wrapper does not read.
    std::error_code ec;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    void* library = nullptr;
    for (const auto& folder : {platform::programFolder(), executable.parent_path()}) {
        auto candidate = folder / "libsmsintercept.so";
        if (!library && !folder.empty() && std::filesystem::exists(candidate, ec))
            library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!library)
        library = dlopen("libsmsintercept.so", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return false;
    using Register = long (*)();
    auto registerServer = reinterpret_cast<Register>(dlsym(library, "DllRegisterServer"));
    if (registerServer)
        registerServer(); // its result does not matter: the rule is checked at next start
    dlclose(library);
    return registerServer != nullptr;
}

} // namespace vantrel
