#include "messaging/SmsBubbleItem.h"

#include "messaging/SMSPanel.h"
#include "platform/gfx/Painter.h"
#include "platform/text/TextDrawing.h"
#include "settings/Background.h"
#include "settings/Box.h"
#include "settings/Font.h"
#include "ui/ControlDump.h"
#include "ui/LightControl.h"

#include <unicode/datefmt.h>

#include <cstdio>
#include <ctime>
#include <memory>

namespace vantrel {

using platform::Rect;
namespace format = platform::TextFormat;

namespace {

// File times count from 1601 in 100 ns units; ICU's and Unix's dates from 1970.
constexpr int64_t epochDifference = 116444736000000000LL;
constexpr int64_t ticksPerMs = 10000;

// The body and the date: wrapped, "&" drawn as it is.
constexpr unsigned bodyFlags = format::WordBreak | format::NoPrefix;

std::u16string toText(const icu::UnicodeString& text) {
    return std::u16string(text.getBuffer(), static_cast<size_t>(text.length()));
}

// "<date> <time>" in local time and the default locale: the date's short form and the
// time with its seconds. The formats are made once; only the window's thread draws.
std::u16string localDateText(uint64_t fileTime) {
    static std::unique_ptr<icu::DateFormat> date(
        icu::DateFormat::createDateInstance(icu::DateFormat::kShort));
    static std::unique_ptr<icu::DateFormat> time(
        icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium));
    if (!date || !time)
        return {};
    const UDate when =
        static_cast<UDate>((static_cast<int64_t>(fileTime) - epochDifference) / ticksPerMs);
    icu::UnicodeString dateText, timeText;
    date->format(when, dateText);
    time->format(when, timeText);
    return toText(dateText) + u" " + toText(timeText);
}

} // namespace

std::string isoUtcTime(uint64_t fileTime) {
    const std::time_t seconds =
        static_cast<std::time_t>((static_cast<int64_t>(fileTime) - epochDifference) / 10000000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

SmsBubbleItem::SmsBubbleItem(SMSMessage message) : message_(std::move(message)) {}

SmsBubbleItem* asBubble(IListItem* item) {
    return dynamic_cast<SmsBubbleItem*>(item);
}

SmsSmartListControl::BubbleKind SmsBubbleItem::kind() const {
    using List = SmsSmartListControl;
    if (message_.isCall)
        return message_.sent ? List::sentCall : List::receivedCall;
    if (message_.sent)
        return message_.read ? List::sentRead : List::sentUnread;
    return message_.read ? List::receivedRead : List::receivedUnread;
}

void SmsBubbleItem::updateHeight(SmartListControl& list) {
    if (!this->list())
        setList(&list);
    auto* conversation = dynamic_cast<SmsSmartListControl*>(&list);
    const int width = list.rect().width();
    if (!conversation || !needsMeasure(width))
        return;
    if (dateText_.empty())
        dateText_ = (message_.time >> 32) == 0 ? u"<nodate>" : localDateText(message_.time);
    const SmsSmartListControl::BubbleLook& look = conversation->look(kind());
    // The text box resolved in a probe row 100 pixels high: what it leaves above and
    // below the text is the bubble's padding.
    const Rect probe{0, 20, width, 120};
    const Rect text = look.textBox->rectangle(probe);
    const Rect column{0, 0, std::max(text.width(), 1), 0x3FFFFFFF};
    const int body = look.font->measureText(message_.text, column, bodyFlags).height();
    const int date = look.infoFont->measureText(dateSample, column, bodyFlags).height();
    setHeight(std::max(body + date + (probe.height() - text.height()), 1));
    measuredWidth_ = width;
}

void SmsBubbleItem::draw(platform::Surface& surface, const SmsSmartListControl::BubbleLook& look,
                         const Rect& box, const Rect& text, const Rect& clip) const {
    if (!look.background->none && !box.intersected(clip).isEmpty())
        look.background->draw(surface, box, clip);
    look.font->drawText(surface, message_.text, text, bodyFlags, clip);
    look.infoFont->drawText(surface, dateText_, text, bodyFlags | format::Bottom, clip);
}

int SmsBubbleItem::paint(PaintContext& context, const Rect& rect, const Rect& clip, bool) {
    auto* list = dynamic_cast<SmsSmartListControl*>(this->list());
    if (!list)
        return 0;
    const SmsSmartListControl::BubbleLook& look = list->look(kind());
    const Rect box = look.box->rectangle(rect);
    const Rect text = look.textBox->rectangle(rect);
    if (!look.opaque || box.isEmpty() || text.intersected(box) != text) {
        draw(context.surface, look, box, text, clip);
        return 1;
    }
    if (drawing_.width() != box.width() || drawing_.height() != box.height()) {
        drawing_ = platform::Surface(box.width(), box.height());
        const Rect at{0, 0, box.width(), box.height()};
        draw(drawing_, look, at, text.offsetBy(-box.left, -box.top), at);
    }
    platform::Painter painter(context.surface);
    painter.setClip(clip);
    painter.copy(drawing_, drawing_.bounds(), {box.left, box.top});
    return 1;
}

void SmsBubbleItem::onClick(SmartListControl& list, int, int) {
    auto* conversation = dynamic_cast<SmsSmartListControl*>(&list);
    if (message_.isCall || !conversation || !conversation->panel())
        return;
    conversation->panel()->openBubbleMenu(*this);
}

void SmsBubbleItem::describe(DumpWriter& out) const {
    out.add("kind", DumpValue(std::u16string(message_.isCall   ? u"call"
                                             : message_.failed ? u"failed"
                                             : message_.sent   ? u"sent"
                                                               : u"received")));
    out.add("text", std::u16string_view(message_.text));
    const std::string time = isoUtcTime(message_.time);
    out.add("time", DumpValue(std::u16string(time.begin(), time.end())));
    out.add("date", std::u16string_view(dateText_));
    out.add("sent", message_.sent);
    out.add("read", message_.read);
    out.add("userChanged", message_.userChanged);
}

} // namespace vantrel
