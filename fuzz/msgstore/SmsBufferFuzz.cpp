// Feeds arbitrary bytes to the "SmsBuffer" reader, as a block written by a faulty or
// hostile interceptor would look. Nothing may crash or read outside the block; what it
// accepts must be within the layout's bounds and come back the same when written again.
#include "platform/msgstore/SmsBuffer.h"

#include <cstdlib>
#include <vector>

using namespace vantrel::platform::msgstore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader gets exactly what it maps: a copy of the input's size, so an overread
    // past it is caught.
    std::vector<uint8_t> block(data, data + size);
    auto read = decodeSmsBuffer(block);
    if (!read)
        return 0;
    if (read->entryId.size() > smsBufferMaxEntryId || read->sender.size() > smsBufferMaxSender)
        std::abort();
    std::vector<uint8_t> again(smsBufferSize, 0);
    if (encodeSmsBuffer(again, read->entryId, read->sender) != SmsBufferResult::written)
        std::abort();
    auto reread = decodeSmsBuffer(again);
    if (!reread || reread->entryId != read->entryId || reread->sender != read->sender)
        std::abort();
    return 0;
}
