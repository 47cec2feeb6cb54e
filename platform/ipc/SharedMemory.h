#pragma once
// Named shared memory within one device: the same name opens the same bytes in every
// process of the device, and nothing of another device (another VANTREL_DEVICE folder).

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel::platform::ipc {

class SharedMemory {
public:
    // Creates the block, or opens it when it exists, with at least `size` bytes. New
    // blocks are zero-filled. nullptr on failure.
    static std::unique_ptr<SharedMemory> create(std::u16string_view name, size_t size);
    // Opens an existing block; nullptr when there is none.
    static std::unique_ptr<SharedMemory> open(std::u16string_view name);
    // Opens an existing block only when it is this user's, readable and writable by
    // nobody else (mode 0600) and exactly `size` bytes: a writer into a block that
    // someone else made, or made larger or smaller, would feed them or overrun it.
    static std::unique_ptr<SharedMemory> openPrivate(std::u16string_view name, size_t size);
    // Removes the name; mappings stay valid until they are closed.
    static void remove(std::u16string_view name);

    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    void* data() const { return data_; }
    size_t size() const { return size_; }

private:
    SharedMemory(void* data, size_t size) : data_(data), size_(size) {}
    static std::unique_ptr<SharedMemory> map(std::u16string_view name, size_t size, bool create);

    void* data_;
    size_t size_;
};

} // namespace vantrel::platform::ipc
