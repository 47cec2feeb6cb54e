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
    void* library = nullptr;
    auto local = platform::programFolder() / "libsmsintercept.so";
    std::error_code ec;
    if (std::filesystem::exists(local, ec))
        library = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
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
