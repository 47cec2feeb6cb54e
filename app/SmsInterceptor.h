#pragma once

namespace vantrel {

// Registers the outside SMS interceptor library when its rule is missing from the
// registry: loads "libsmsintercept.so" (the program's folder first, then the library
// path), calls its "DllRegisterServer" export, unloads it. A missing library or export
// is skipped silently; incoming-SMS notification then does not work, the rest does.
// Returns true when the library's registration routine was called.
bool registerSmsInterceptorIfNeeded();

} // namespace vantrel
