#pragma once
// Named shared memory within one device: the same name opens the same bytes in every
// process of the device, and nothing of another device (another VANTREL_DEVICE folder).
// Blocks are private to this user (see PrivateSharedObject.h): a block of the name
// made by anyone else, or with another mode or size, is refused.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel::platform::ipc {

class SharedMemory {
public:
    // Creates the block of exactly `size` bytes, or opens it when it exists with that
    // size. New blocks are zero-filled. nullptr on failure, with the reason in `error`.
    static std::unique_ptr<SharedMemory> create(std::u16string_view name, size_t size,
                                                std::string* error = nullptr);
    // Opens an existing block of exactly `size` bytes (of any size when 0): a writer
    // into a block made larger or smaller than it expects would feed someone else or
    // overrun it. nullptr when there is none or it is refused.
    static std::unique_ptr<SharedMemory> open(std::u16string_view name, size_t size = 0,
                                              std::string* error = nullptr);
    // Removes the name; mappings stay valid until they are closed.
    static void remove(std::u16string_view name);
    // The machine-wide POSIX name ("/vantrel.<device hash>.<name>") the block has for
    // this device, for messages and for other named objects of the device.
    static std::string posixName(std::u16string_view name);

    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    void* data() const { return data_; }
    size_t size() const { return size_; }

private:
    SharedMemory(void* data, size_t size) : data_(data), size_(size) {}
    static std::unique_ptr<SharedMemory> map(std::u16string_view name, size_t size, bool create,
                                             std::string* error);

    void* data_;
    size_t size_;
};

} // namespace vantrel::platform::ipc
