#include "platform/core/Clipboard.h"

#include "platform/core/Backend.h"

#include <mutex>

namespace vantrel::platform {

namespace {

struct OwnClipboard {
    std::mutex mutex;
    std::u16string text;
};

OwnClipboard& own() {
    static auto* clipboard = new OwnClipboard;
    return *clipboard;
}

std::u16string bounded(std::u16string text) {
    if (text.size() > maxClipboardLength) {
        size_t cut = maxClipboardLength;
        // Never keep half of a surrogate pair.
        if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF)
            --cut;
        text.resize(cut);
    }
    return text;
}

} // namespace

void setClipboardText(std::u16string_view text) {
    std::u16string kept = bounded(std::u16string(text));
    if (Backend* backend = installedBackend(); backend && backend->setClipboardText(kept))
        return;
    std::lock_guard lock(own().mutex);
    own().text = std::move(kept);
}

std::u16string clipboardText() {
    if (Backend* backend = installedBackend())
        if (auto text = backend->clipboardText())
            return bounded(std::move(*text));
    std::lock_guard lock(own().mutex);
    return own().text;
}

} // namespace vantrel::platform
