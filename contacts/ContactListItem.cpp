#include "contacts/ContactListItem.h"

#include "contacts/ContactPictureCache.h"
#include "contacts/ContactSmartListControl.h"
#include "graphics/Image.h"
#include "lists/SmartListControl.h"
#include "mapi/PhoneNumber.h"
#include "platform/core/Utf.h"
#include "platform/text/TextDrawing.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "settings/TextFormatter.h"
#include "ui/ControlDump.h"

#include <algorithm>
#include <typeinfo>

namespace vantrel {

using platform::Rect;

namespace {

constexpr unsigned lineFormat = platform::TextFormat::VerticalCentre |
                                platform::TextFormat::SingleLine | platform::TextFormat::NoPrefix;

// The clip of a text line that shares its row with the picture: the line ends where the
// picture begins (or starts where it ends, for a picture on the left), so a long
// "number (company)" neither runs under the picture nor shows around its edges.
Rect clipBeside(const Rect& line, const Rect& picture, const Rect& clip) {
    if (line.intersected(picture).isEmpty())
        return clip;
    Rect cut = clip;
    if (picture.left + picture.right >= line.left + line.right)
        cut.right = std::min(cut.right, picture.left);
    else
        cut.left = std::max(cut.left, picture.right);
    return cut;
}

} // namespace

void ContactItemLook::resolve(const LightControl& list) {
    if (resolved_)
        return;
    SettingStore& store = SettingStore::instance();
    const std::u16string& type = list.typeName();
    const std::u16string& name = list.name();
    auto box = [&](std::u16string_view key) { return &store.box(type, name, key); };
    auto font = [&](std::u16string_view key) { return &store.font(type, name, key); };
    auto background = [&](std::u16string_view key) { return &store.background(type, name, key); };
    firstLineBox = box(u"item.firstline.box");
    secondLineBox = box(u"item.secondline.box");
    pictureBox = box(u"item.picture.box");
    pictureFavoriteBox = box(u"item.picture.favorite.box");
    favoriteBox = box(u"item.favorite.box");
    smsCountBox = box(u"item.smscount.box");
    pictureSmsCountBox = box(u"item.picture.smscount.box");
    lastCallBox = box(u"item.lastcall.box");
    lastSmsBox = box(u"item.lastsms.box");
    firstLineFont = font(u"item.firstline.font");
    firstLineHighlightedFont = font(u"item.firstline.highlighted.font");
    secondLineFont = font(u"item.secondline.font");
    secondLineHighlightedFont = font(u"item.secondline.highlighted.font");
    smsCountFont = font(u"item.smscount.font");
    favoriteBackground = background(u"item.favorite.background");
    lastCallBackground = background(u"item.lastcall.background");
    lastSmsBackground = background(u"item.lastsms.background");
    resolved_ = true;
}

std::u16string reduceNumber(std::u16string_view number) {
    std::u16string reduced = digitsAndPlus(number);
    if (reduced.size() > 8)
        reduced.erase(0, reduced.size() - 8);
    return reduced;
}

// ---- ContactListItem ----

ContactListItem::ContactListItem(ContactRecord record)
    : BaseItem(record.firstLine), keys_(makeSearchKeys(record)), record_(std::move(record)) {}

ContactListItem::ContactListItem(ContactRecord record, SearchKeys keys)
    : BaseItem(record.firstLine), keys_(std::move(keys)), record_(std::move(record)) {}

ContactListItem::~ContactListItem() {
    if (!pictureBytes_.empty())
        ContactPictureCache::shared().forget(this);
}

void ContactListItem::setRecord(ContactRecord record, SearchKeys keys) {
    setText(record.firstLine);
    record_ = std::move(record);
    keys_ = std::move(keys);
}

void ContactListItem::setPicture(std::unique_ptr<Image> picture) {
    setPictureBytes({});
    picture_ = std::move(picture);
}

void ContactListItem::setPictureBytes(std::vector<uint8_t> bytes) {
    ContactPictureCache::shared().forget(this);
    picture_.reset();
    pictureBytes_ = std::move(bytes);
}

const Image* ContactListItem::picture() const {
    if (picture_ || pictureBytes_.empty())
        return picture_.get();
    // Only what is kept: asking must not decode.
    return ContactPictureCache::shared().find(this);
}

char16_t ContactListItem::indexLetter() const {
    if (record_.sortKey.empty())
        return u' ';
    char16_t first = record_.sortKey.front();
    return first >= u'0' && first <= u'9' ? u'#' : first;
}

bool ContactListItem::matchesNumber(std::u16string_view number) const {
    return !number.empty() && matchesNormalized(mapi::NormalizedNumber(number).view());
}

bool ContactListItem::matchesNormalized(std::u16string_view normalized) const {
    for (const PhoneEntry& phone : record_.phones)
        if (mapi::normalizedNumbersMatch(mapi::NormalizedNumber(phone.number).view(), normalized))
            return true;
    return false;
}

int ContactListItem::paint(PaintContext& context, const Rect& rect, const Rect& clip,
                           bool highlighted) {
    if (!BaseItem::paint(context, rect, clip, highlighted))
        return 0;
    auto* owner = list();
    // The list keeps one look for all its rows.
    ContactItemLook& look = ContactSmartListControl::itemLookOf(*owner);
    look.resolve(*owner);
    const SettingOptions& options = SettingManager::instance().options();

    const bool withPicture = hasPicture();
    const bool drawsPicture = withPicture && options.contactPicture;
    const Rect pictureBox = look.pictureBox->rectangle(rect);
    const Rect firstLine = look.firstLineBox->rectangle(rect);
    const Rect secondLine = look.secondLineBox->rectangle(rect);
    (highlighted ? look.firstLineHighlightedFont : look.firstLineFont)
        ->drawText(context.surface, record_.firstLine, firstLine, lineFormat,
                   drawsPicture ? clipBeside(firstLine, pictureBox, clip) : clip);
    const std::u16string& second =
        counters_.unread == 0 ? record_.secondLine : counters_.lastMessage;
    (highlighted ? look.secondLineHighlightedFont : look.secondLineFont)
        ->drawText(context.surface, second, secondLine, lineFormat,
                   drawsPicture ? clipBeside(secondLine, pictureBox, clip) : clip);

    if (drawsPicture) {
        const Rect& box = pictureBox;
        Image* picture = picture_.get();
        if (!picture && !box.intersected(clip).isEmpty()) {
            picture = ContactPictureCache::shared().get(this, pictureBytes_,
                                                        {box.width(), box.height()});
            // Bytes that are no picture are not decoded again at every paint.
            if (!picture)
                pictureBytes_.clear();
        }
        if (picture)
            picture->draw(context.surface, box, clip, true);
    }
    if (record_.favorite && options.favoriteIcon)
        drawBackground(context, *look.favoriteBackground,
                       (withPicture ? look.pictureFavoriteBox : look.favoriteBox)->rectangle(rect),
                       clip);
    if (counters_.messages == 0 && counters_.calls == 0)
        return 1;
    Rect counterArea = (withPicture ? look.pictureSmsCountBox : look.smsCountBox)->rectangle(rect);
    if (counters_.newestIsCall && counters_.newCalls >= 1)
        drawBackground(context, *look.lastCallBackground, look.lastCallBox->rectangle(counterArea),
                       clip);
    else if (counters_.unread >= 1)
        drawBackground(context, *look.lastSmsBackground, look.lastSmsBox->rectangle(counterArea),
                       clip);
    if (options.messageCount) {
        std::u16string text = counters_.unread == 0
                                  ? formatText(u"(%i/%i)", {counters_.messages, counters_.calls})
                                  : formatText(u"(%i/%i/%i)", {counters_.unread, counters_.messages,
                                                               counters_.calls});
        look.smsCountFont->drawText(context.surface, text, counterArea,
                                    platform::TextFormat::NoPrefix, clip);
    }
    return 1;
}

const char* ContactListItem::kindName() const {
    switch (kind()) {
    case Kind::newContact:
        return "newcontact";
    case Kind::sms:
        return "sms";
    default:
        return "contact";
    }
}

void ContactListItem::describe(DumpWriter& out) const {
    out.add("type", DumpValue(platform::toUtf16(kindName())));
    out.add("first", std::u16string_view(record_.firstLine));
    out.add("second", std::u16string_view(record_.secondLine));
    out.add("id", static_cast<int>(record_.objectId));
    out.add("favorite", record_.favorite);
    out.add("unread", counters_.unread);
    out.add("messages", counters_.messages);
    out.add("calls", counters_.calls);
    out.add("last", std::u16string_view(counters_.lastMessage));
    out.add("picture", hasPicture());
    if (isSelected())
        out.add("selected", true);
}

const ContactListItem* asContact(const IListItem* item) {
    if (!item)
        return nullptr;
    // NOTE: the addresses first: type_info's own comparison may compare names as
    // strings, three times over for a row that is no contact.
    const std::type_info* type = &typeid(*item);
    if (type == &typeid(ContactListItem) || type == &typeid(NewContactListItem) ||
        type == &typeid(SmsContactListItem))
        return static_cast<const ContactListItem*>(item);
    // Rows of contact classes made elsewhere still count.
    return dynamic_cast<const ContactListItem*>(item);
}

ContactListItem* asContact(IListItem* item) {
    return const_cast<ContactListItem*>(asContact(static_cast<const IListItem*>(item)));
}

// ---- the two special rows ----

namespace {

ContactRecord newContactRecord(std::u16string text) {
    ContactRecord record;
    record.firstLine = std::move(text);
    record.valid = true;
    return record;
}

ContactRecord smsRecord(std::u16string_view sender, std::u16string_view number,
                        std::u16string_view serviceText) {
    ContactRecord record;
    record.secondLine = digitsAndPlus(number);
    record.firstLine = record.secondLine.empty() ? std::u16string(serviceText)
                                                 : u"<" + std::u16string(sender) + u">";
    record.header = record.firstLine;
    record.sortKey = u"ZZ" + std::u16string(sender);
    record.phones.push_back({record.secondLine, prop::mobile});
    record.valid = true;
    return record;
}

} // namespace

NewContactListItem::NewContactListItem(std::u16string text)
    : ContactListItem(newContactRecord(std::move(text))) {}

SmsContactListItem::SmsContactListItem(std::u16string_view sender, std::u16string_view number,
                                       bool unread, std::u16string_view serviceText)
    : ContactListItem(smsRecord(sender, number, serviceText)) {
    counters().unread = unread ? 1 : 0;
    counters().messages = 1;
}

bool SmsContactListItem::matchesNumber(std::u16string_view number) const {
    return matchesNormalized(mapi::NormalizedNumber(number).view());
}

} // namespace vantrel
