// Stands in for the outside interceptor library: registering writes its rule value, as
// the real one does, and counts the calls in a file beside it.
#include "platform/core/Paths.h"
#include "platform/registry/Registry.h"

#include <fstream>

extern "C" long DllRegisterServer() {
    std::ofstream(vantrel::platform::programFolder() / "register-calls.txt", std::ios::app) << "x";
    vantrel::platform::registry::writeDword(vantrel::platform::registry::Root::localMachine,
                                            u"\\Software\\Microsoft\\Inbox\\Svc\\SMS\\Rules",
                                            u"{719758B8-8F90-4585-9242-78E25981ED6B}", 1);
    return 0;
}
