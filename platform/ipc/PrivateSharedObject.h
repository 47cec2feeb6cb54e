#pragma once
// Every named object of the device in POSIX shared memory (the "SmsBuffer" block, the
// named mutexes and events) follows one rule, because their names are predictable and
// /dev/shm is shared by every user of the machine. Another user could otherwise create
// the name first and read or change what we put there, or shrink the object while we
// write to it and kill us with SIGBUS.
//
// The rule: create the object exclusively with mode 0600 and its exact size; when the
// name exists already, use it only when it belongs to this user, has mode 0600 and
// exactly the expected size, and otherwise refuse it, saying why. Nobody but this user
// can then open it, resize it or change its mode.

#include <cstddef>
#include <string>

namespace vantrel::platform::ipc {

struct PrivateSharedObject {
    int fd = -1;          // open for reading and writing; the caller maps and closes it
    bool created = false; // true when this call made it (its bytes are zero)
    std::string error;    // why it was refused, when fd is -1
};

// Opens (creating it when `mayCreate` and missing) the shared-memory object `posixName`
// ("/name") of `size` bytes under the rule above. A size of 0 accepts an existing
// object of any non-zero size and cannot create one.
PrivateSharedObject openPrivateSharedObject(const std::string& posixName, size_t size,
                                            bool mayCreate);

} // namespace vantrel::platform::ipc
