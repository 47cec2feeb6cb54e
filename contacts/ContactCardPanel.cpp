#include "contacts/ContactCardPanel.h"

#include "contacts/ContactRecord.h"
#include "lists/BaseItem.h"
#include "lists/SmartListControl.h"
#include "platform/pim/PimItem.h"
#include "settings/SettingStore.h"
#include "ui/Button.h"
#include "ui/HeaderLabel.h"
#include "ui/Label.h"

#include <array>

namespace vantrel {

namespace {

// A field of the card: the setting that names it and the properties it shows, joined
// with ", " (an address shows its parts on one row).
struct CardField {
    std::u16string_view type;
    std::u16string_view instance;
    std::array<uint32_t, 5> ids;
};

// The contact editor's captions, so the card and the editor name a field alike.
constexpr CardField cardFields[] = {
    {u"propertylabel", u"edit.firstname", {0x0082001F}},
    {u"propertylabel", u"edit.lastname", {0x0084001F}},
    {u"propertylabel", u"edit.company", {0x008A001F}},
    {u"propertylabel", u"edit.jobtitle", {0x008C001F}},
    {u"propertylabel", u"edit.mobilephone", {prop::mobile}},
    {u"propertylabel", u"edit.workphone", {prop::business}},
    {u"propertylabel", u"edit.workphone2", {prop::business2}},
    {u"propertylabel", u"edit.homephone", {prop::home}},
    {u"propertylabel", u"edit.homephone2", {prop::home2}},
    {u"propertylabel", u"edit.pager", {prop::pager}},
    {u"propertylabel", u"edit.email", {prop::email1}},
    {u"propertylabel", u"edit.email2", {prop::email2}},
    {u"propertylabel", u"edit.email3", {prop::email3}},
    {u"propertylabel", u"edit.web", {0x00A7001F}},
    {u"propertylabel", u"edit.im", {0x0093001F}},
    {u"propertylabel", u"edit.ringtone", {0x00A8001F}},
    {u"propertylabel", u"edit.categories", {prop::categories}},
    {u"separatorlabel",
     u"edit.separator.home.address",
     {0x00D1001F, 0x00D2001F, 0x00D3001F, 0x00D4001F, 0x00D5001F}},
    {u"separatorlabel",
     u"edit.separator.work.address",
     {0x00C1001F, 0x00C2001F, 0x00C3001F, 0x00C4001F, 0x00C5001F}},
    {u"header", u"note", {prop::note}},
};

} // namespace

std::vector<ContactCardPanel::Field> ContactCardPanel::fieldsOf(const platform::pim::Item& item) {
    std::vector<uint32_t> ids;
    for (const CardField& field : cardFields)
        for (uint32_t id : field.ids)
            if (id)
                ids.push_back(id);
    std::vector<platform::pim::PropValue> values;
    if (!item.getProps(ids, values))
        return {};
    const SettingStore& store = SettingStore::instance();
    std::vector<Field> fields;
    size_t next = 0;
    for (const CardField& field : cardFields) {
        std::u16string joined;
        for (uint32_t id : field.ids) {
            if (!id)
                continue;
            const platform::pim::PropValue& value = values[next++];
            if (!value.found() || value.text.empty())
                continue;
            joined += (joined.empty() ? u"" : u", ") + value.text;
        }
        if (!joined.empty())
            fields.emplace_back(store.text(field.type, field.instance, u"text"), std::move(joined));
    }
    return fields;
}

ContactCardPanel* ContactCardPanel::open(platform::WindowHandle window,
                                         const platform::pim::Item& item,
                                         const std::u16string& title) {
    auto card = std::make_unique<ContactCardPanel>(window, title, fieldsOf(item));
    return static_cast<ContactCardPanel*>(SimpleDialog::open(std::move(card)));
}

ContactCardPanel::ContactCardPanel(platform::WindowHandle window, std::u16string title,
                                   std::vector<Field> fields)
    : SimpleDialog(window, u"contactcard") {
    header()->setText(std::move(title));
    list_ = addChild(std::make_unique<SmartListControl>(window, u"contactcard.fields", u"list"));
    for (Field& field : fields)
        list_->appendItem(makeItem<SimpleItem>(field.first + u": " + field.second));
    // Read-only: OK alone closes it, drawn over the bar behind it.
    addChild(std::make_unique<Button>(window, u"ok"))->setAction(std::make_unique<SDOkAction>(this));
    addChild(std::make_unique<Label>(window, u"buttons.bg"));
}

} // namespace vantrel
