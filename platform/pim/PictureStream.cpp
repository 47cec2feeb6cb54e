#include "platform/pim/PictureStream.h"

#include "platform/pim/PimItem.h"

#include <algorithm>
#include <cstring>

namespace vantrel::platform::pim {

PictureStream::PictureStream(Item& item, std::vector<uint8_t> bytes, bool writable)
    : item_(item), bytes_(std::move(bytes)), writable_(writable) {}

size_t PictureStream::read(std::span<uint8_t> out) {
    size_t count = std::min(out.size(), bytes_.size() - position_);
    std::memcpy(out.data(), bytes_.data() + position_, count);
    position_ += count;
    return count;
}

bool PictureStream::write(std::span<const uint8_t> data) {
    if (!writable_ || data.size() > maxPictureBytes - position_)
        return false;
    if (position_ + data.size() > bytes_.size())
        bytes_.resize(position_ + data.size());
    std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<ptrdiff_t>(position_));
    position_ += data.size();
    return true;
}

bool PictureStream::setSize(size_t size) {
    if (!writable_ || size > maxPictureBytes)
        return false;
    bytes_.resize(size);
    position_ = std::min(position_, size);
    return true;
}

bool PictureStream::seek(size_t position) {
    if (position > bytes_.size())
        return false;
    position_ = position;
    return true;
}

bool PictureStream::commit() {
    return writable_ && item_.commitPicture(bytes_);
}

} // namespace vantrel::platform::pim
