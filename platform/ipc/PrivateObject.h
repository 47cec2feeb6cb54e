#pragma once
// Shared objects of the device belong to this user alone: anyone who could plant or open
// one could read a message in transit or hold a lock the programs depend on.

#include <cstddef>
#include <string>

namespace vantrel::platform::ipc {

// Checks an opened shared object before it is used: it must belong to this user, have
// mode 0600 and exactly `size` bytes. Empty when it may be used, else the reason.
std::string privateObjectProblem(int fd, size_t size);

} // namespace vantrel::platform::ipc
