#include "contacts/EditContactDialog.h"

#include "contacts/AutocompleteAction.h"
#include "contacts/ContactStoreAccess.h"
#include "contacts/LocaleDate.h"
#include "lists/ControlItem.h"
#include "lists/SmartListControl.h"
#include "platform/shell/SoundPreview.h"
#include "platform/core/Debug.h"
#include "platform/core/Utf.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"
#include "ui/EditControl.h"
#include "ui/Label.h"
#include "ui/TextInputControl.h"

namespace vantrel {

namespace pim = platform::pim;
namespace pp = pim::prop;

namespace {

enum class Choices { none, company, city, category, country, ringtone };

// A row, or a section title when `id` is 0.
struct RowEntry {
    const char16_t* name;
    pim::PropId id;
    Choices choices = Choices::none;
};

constexpr RowEntry kRows[] = {
    {u"edit.separator.basic", 0},
    {u"edit.firstname", pp::firstName},
    {u"edit.lastname", pp::lastName},
    {u"edit.mobilephone", pp::mobilePhone},
    {u"edit.company", pp::company, Choices::company},
    {u"edit.categories", pp::categories, Choices::category},
    {u"edit.separator.phone", 0},
    {u"edit.workphone", pp::businessPhone},
    {u"edit.homephone", pp::homePhone},
    {u"edit.workphone2", pp::businessPhone2},
    {u"edit.homephone2", pp::homePhone2},
    {u"edit.pager", pp::pager},
    {u"edit.separator.general", 0},
    {u"edit.birthday", pp::birthday},
    {u"edit.anniversary", pp::anniversary},
    {u"edit.jobtitle", pp::jobTitle},
    {u"edit.email", pp::email1},
    {u"edit.email2", pp::email2},
    {u"edit.email3", pp::email3},
    {u"edit.web", pp::webPage},
    {u"edit.im", pp::im1},
    {u"edit.ringtone", pp::ringtone, Choices::ringtone},
    {u"edit.separator.home.address", 0},
    {u"edit.address.street", pp::homeStreet},
    {u"edit.address.city", pp::homeCity, Choices::city},
    {u"edit.address.state", pp::homeState},
    {u"edit.address.zipcode", pp::homePostalCode},
    {u"edit.address.country", pp::homeCountry, Choices::country},
    {u"edit.separator.work.address", 0},
    {u"edit.address.street", pp::businessStreet},
    {u"edit.address.city", pp::businessCity, Choices::city},
    {u"edit.address.state", pp::businessState},
    {u"edit.address.zipcode", pp::businessPostalCode},
    {u"edit.address.country", pp::businessCountry, Choices::country},
};

std::unique_ptr<AutocompleteAction> makeChoices(Choices kind, platform::WindowHandle window,
                                                AutocompleteAction::Put put,
                                                const SmartListControl* contacts) {
    switch (kind) {
    case Choices::company:
        return std::make_unique<CompanyAutocompleteAction>(window, std::move(put), contacts);
    case Choices::city:
        return std::make_unique<CityAutocompleteAction>(window, std::move(put), contacts);
    case Choices::category:
        return std::make_unique<CategoryAutocompleteAction>(window, std::move(put), contacts);
    case Choices::country:
        return std::make_unique<CountryAutocompleteAction>(window, std::move(put));
    case Choices::ringtone:
        return std::make_unique<RingtoneAutocompletion>(window, std::move(put));
    case Choices::none:
        break;
    }
    return nullptr;
}

} // namespace

EditContactDialog::EditContactDialog(platform::WindowHandle window,
                                     std::unique_ptr<pim::Item> item,
                                     const SmartListControl* contacts)
    : SimpleDialog(window, u"editcontact"), item_(std::move(item)),
      list_(addChild(std::make_unique<SmartListControl>(window, u"editcontact.propertylist"))) {
    std::vector<pim::PropId> ids;
    for (const RowEntry& entry : kRows)
        if (entry.id)
            ids.push_back(entry.id);
    std::vector<pim::PropValue> values;
    if (!item_->getProps(ids, values) || values.size() != ids.size())
        values.assign(ids.size(), pim::PropValue());

    rows_.reserve(ids.size());
    size_t next = 0;
    for (const RowEntry& entry : kRows) {
        if (!entry.id) {
            list_->appendItem(makeItem<ControlItem>(std::make_unique<SeparatorLabel>(window, entry.name)));
            continue;
        }
        auto control = std::make_unique<EditControl>(window, entry.name,
                                                     entry.choices != Choices::none);
        const pim::PropValue& value = values[next++];
        if (value.found() && value.id == entry.id)
            control->field()->setText(pim::propType(entry.id) == pim::typeDate
                                          ? formatLocaleDate(value.fileTime)
                                          : value.text);
        const size_t index = rows_.size();
        rows_.push_back({control.get(), entry.id});
        if (control->button()) {
            auto put = [this, index](const std::u16string& choice) {
                rows_[index].control->field()->setText(choice);
                rows_[index].picked = true;
            };
            control->button()->setAction(makeChoices(entry.choices, window, put, contacts));
        }
        list_->appendItem(makeItem<ControlItem>(std::move(control)));
    }
    addAnswerButtons();
}

EditContactDialog::~EditContactDialog() = default;

std::vector<pim::PropValue> EditContactDialog::changeSet() const {
    std::vector<pim::PropValue> values;
    for (const Row& row : rows_) {
        if (!row.picked && !row.control->field()->modified())
            continue;
        std::u16string text = row.control->field()->text();
        switch (pim::propType(row.id)) {
        case pim::typeString:
            values.push_back(pim::PropValue::ofString(row.id, std::move(text)));
            break;
        case pim::typeDate:
            if (auto day = parseLocaleDate(text))
                values.push_back(pim::PropValue::ofDate(row.id, *day));
            else
                values.push_back(pim::PropValue::deletion(row.id));
            break;
        default:
            VT_DEBUGCHK("EditControl", false);
            break;
        }
    }
    return values;
}

void EditContactDialog::onOk() {
    // Open fields give their text back first, so what is on screen is what is written.
    for (const Row& row : rows_)
        row.control->field()->showNative(false);
    const std::vector<pim::PropValue> values = changeSet();
    // The store writes the staged values in one transaction at save, so a failure leaves
    // the stored contact as it was.
    if (!item_->setProps(0, values) || !item_->save()) {
        platform::messageBox(window(), u"The contact could not be saved.", u"Error");
        return;
    }
    SimpleDialog::onOk();
}

EditControl* EditContactDialog::row(std::u16string_view name) const {
    for (const Row& row : rows_)
        if (row.control->name() == name)
            return row.control;
    return nullptr;
}

void EditContactDialog::describe(DumpWriter& out) const {
    SimpleDialog::describe(out);
    const pim::Oid oid = item_->oid();
    out.add("objectId", oid == pim::invalidOid ? -1 : static_cast<int>(oid));
    out.add("changes", static_cast<int>(changeSet().size()));
    // The ringtone row's preview: the file audible now, by name.
    const std::u16string preview =
        platform::toUtf16(platform::shell::SoundPreview::instance().playing().filename().string());
    out.add("preview", std::u16string_view(preview));
}

bool goToEditContact(platform::WindowHandle window, ContactStoreAccess& store, uint32_t objectId,
                     const SmartListControl* contacts) {
    pim::PimApp* app = store.app();
    std::unique_ptr<pim::Item> item = app ? app->getItemFromOidEx(objectId, 0) : nullptr;
    if (!item)
        return false;
    SimpleDialog::open(std::make_unique<EditContactDialog>(window, std::move(item), contacts));
    return true;
}

bool goToNewContact(platform::WindowHandle window, ContactStoreAccess& store,
                    const SmartListControl* contacts, std::vector<pim::PropValue> staged) {
    pim::PimApp* app = store.app();
    std::unique_ptr<pim::Item> item = app ? app->createItem(pim::itemContact) : nullptr;
    if (!item || !item->setProps(0, staged))
        return false;
    SimpleDialog::open(std::make_unique<EditContactDialog>(window, std::move(item), contacts));
    return true;
}

} // namespace vantrel
