#pragma once
// The picture of a contact as a stream, the way the old platform handed it out: read it
// whole, or size it, write it and commit. An empty committed picture removes it.
// Pictures are bounded (maxPictureBytes); a larger size or write fails. A stream
// borrows the item that opened it, which must outlive it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vantrel::platform::pim {

class Item;

inline constexpr size_t maxPictureBytes = 16u << 20;

class PictureStream {
public:
    size_t size() const { return bytes_.size(); }
    // Copies up to out.size() bytes from the current position; the count copied.
    size_t read(std::span<uint8_t> out);
    // Writes at the current position, growing the stream as needed.
    bool write(std::span<const uint8_t> data);
    // Truncates or zero-extends; the position stays where it was, capped at the end.
    bool setSize(size_t size);
    bool seek(size_t position);
    // Stores the stream as the item's picture; false when the stream is read-only or
    // the store cannot be written.
    bool commit();

    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    friend class Item;
    PictureStream(Item& item, std::vector<uint8_t> bytes, bool writable);

    Item& item_;
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
    bool writable_;
};

} // namespace vantrel::platform::pim
