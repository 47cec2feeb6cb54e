// Texts from themes, language files and messages reach the text layout unchecked. The
// input's first bytes choose the flags and the rectangle; the rest is UTF-16 text, any
// code units at all (lone surrogates, controls, mixed directions).

#include "platform/text/TextDrawing.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace vantrel::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    static FontHandle font = fontFor({13, 400, false, u"Tahoma"});
    static Surface surface(96, 64);
    if (!font)
        return 0;
    const unsigned flags = (data[0] | (data[1] << 8)) & 0x0D3F;
    const Rect rect = Rect::fromSize(static_cast<int8_t>(data[2]) / 4, 4, data[3] % 120, 48);
    std::u16string text((size - 4) / 2, u'\0');
    std::memcpy(text.data(), data + 4, text.size() * 2);
    drawFormatted(&surface, rect, surface.bounds(), *font, text, rgb(0, 0, 0), flags);
    measureRun(*font, text);
    return 0;
}
