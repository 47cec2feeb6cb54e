#include "contacts/ContactStoreAccess.h"

#include "platform/core/Paths.h"
#include "platform/imaging/ImageDecoder.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PictureStream.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "settings/SettingManager.h"
#include "settings/SettingStore.h"
#include "ui/LightControl.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace vantrel {

namespace pim = platform::pim;

namespace {

// The favourite is a named property: created when missing, indexed, never copied to a
// desktop, boolean.
constexpr uint32_t favoriteFlags =
    pim::namedPropCreate | pim::namedPropIndexed | pim::namedPropNoReplicate | pim::typeBoolean;

bool present(const pim::PropValue& value) {
    return value.found() && pim::propType(value.id) == pim::typeString;
}

// Takes the texts out of `read`.
PropertyValues toValues(const std::vector<uint32_t>& ids, std::vector<pim::PropValue>& read) {
    PropertyValues values(&ids);
    for (size_t i = 0; i < ids.size() && i < read.size(); ++i)
        if (present(read[i]))
            values.at(i) = std::move(read[i].text);
    return values;
}

bool readFavorite(const std::vector<pim::PropValue>& read, size_t index) {
    return index < read.size() && read[index].found() && read[index].boolean();
}

} // namespace

// ---- templates and tables ----

ContactTemplates ContactTemplates::fromSettings(const LightControl& list) {
    const SettingStore& store = SettingStore::instance();
    auto listText = [&](std::u16string_view property) {
        const std::u16string* value = store.resolve(list.typeName(), list.name(), property);
        return value ? *value : std::u16string();
    };
    auto fullKey = [&](std::u16string_view type, std::u16string_view property) {
        const std::u16string* value = store.resolve(type, u"contactdetail", property);
        return value ? *value : std::u16string();
    };
    ContactTemplates templates;
    templates.firstLine = listText(u"item.firstline.format");
    templates.secondLine = listText(u"item.secondline.format");
    templates.sortOrder = listText(u"item.sortorder.format");
    templates.header = fullKey(u"header", u"format");
    templates.detailLines = fullKey(u"label", u"detaillines.format");
    templates.showAllContact = SettingManager::instance().options().showAllContact != 0;
    templates.phoneRequired = store.flag(list.typeName(), list.name(), u"item.phone.required");
    return templates;
}

ContactFormats::ContactFormats(const ContactTemplates& templates)
    : firstLine(templates.firstLine), secondLine(templates.secondLine),
      sortOrder(templates.sortOrder), header(templates.header), detailLines(templates.detailLines) {
}

ContactPropertyTable ContactPropertyTable::build(const ContactTemplates& templates,
                                                 uint32_t favoriteId) {
    ContactPropertyTable table;
    table.ids = {prop::objectId, prop::fileAs, prop::mobile,       prop::business,  prop::business2,
                 prop::home,     prop::home2,  prop::businessFax,  prop::homeFax,   prop::pager,
                 prop::car,      prop::radio,  prop::companyPhone, prop::assistant, prop::email1,
                 prop::email2,   prop::email3};
    table.favoriteIndex = table.ids.size();
    table.ids.push_back(favoriteId);
    for (const std::u16string* format :
         {&templates.firstLine, &templates.secondLine, &templates.sortOrder, &templates.header,
          &templates.detailLines})
        collectTemplateProperties(*format, table.ids);
    for (std::u16string_view fixed : {u"%company", u"%addresscity", u"%categories"})
        collectTemplateProperties(fixed, table.ids);
    table.formats = ContactFormats(templates);
    return table;
}

const std::vector<uint32_t>& contactPropertyArray(uint32_t favoriteId) {
    // Built once; the favourite id of a device never changes once made.
    static const std::vector<uint32_t> array = [favoriteId] {
        std::vector<uint32_t> ids{prop::objectId};
        for (uint32_t number = 0x0080; number <= 0x00A1; ++number)
            ids.push_back(number << 16 | prop::textType);
        for (uint32_t id : {0x10A2001Fu, 0x10A3001Fu, 0x10A4001Fu})
            ids.push_back(id);
        for (uint32_t number = 0x00A5; number <= 0x00AB; ++number)
            ids.push_back(number << 16 | prop::textType);
        for (uint32_t base : {0x00C0u, 0x00D0u, 0x00E0u}) {
            ids.push_back((0x1000 | base) << 16 | prop::textType);
            for (uint32_t part = 1; part <= 5; ++part)
                ids.push_back((base + part) << 16 | prop::textType);
        }
        ids.push_back(prop::categories);
        ids.push_back(favoriteId);
        return ids;
    }();
    return array;
}

bool fillRecord(ContactRecord& record, const PropertyValues& values, bool favorite,
                const ContactFormats& formats, bool keepWithoutPhone) {
    static const ContactTemplate email[3] = {
        ContactTemplate(u"%email"), ContactTemplate(u"%email2"), ContactTemplate(u"%email3")};
    static const ContactTemplate company(u"%company"), city(u"%addresscity"),
        categories(u"%categories");
    record.phones.clear();
    for (uint32_t id : phoneProperties)
        if (const std::u16string* number = values.find(id); number && !number->empty())
            record.phones.insert(record.phones.begin(), {*number, id});
    record.favorite = favorite;
    const std::u16string* fileAs = values.find(prop::fileAs);
    const std::u16string none;
    const std::u16string& fileAsText = fileAs ? *fileAs : none;
    auto expand = [&](const ContactTemplate& format) {
        return format.expand(values, record.phones);
    };
    record.firstLine = expand(formats.firstLine);
    if (record.firstLine.empty())
        record.firstLine = fileAsText;
    std::u16string sortKey = expand(formats.sortOrder);
    record.sortKey = upperCased(sortKey.empty() ? fileAsText : sortKey);
    for (int i = 0; i < 3; ++i)
        record.emails[i] = expand(email[i]);
    record.secondLine = expand(formats.secondLine);
    record.header = expand(formats.header);
    record.detailLines = expand(formats.detailLines);
    record.company = expand(company);
    record.city = expand(city);
    record.categories = expand(categories);
    record.valid = !record.phones.empty() || keepWithoutPhone;
    return record.valid;
}

bool fillRecord(ContactRecord& record, const PropertyValues& values, bool favorite,
                const ContactTemplates& templates, bool keepWithoutPhone) {
    return fillRecord(record, values, favorite, ContactFormats(templates), keepWithoutPhone);
}

// ---- the store ----

ContactStoreAccess::ContactStoreAccess(std::shared_ptr<pim::PimApp> app) : app_(std::move(app)) {}

uint32_t ContactStoreAccess::favoriteId() {
    std::call_once(favoriteOnce_, [this] {
        std::vector<pim::PropId> ids;
        std::u16string_view name = u"is_favorite2";
        if (app_ && app_->getIDsFromNames(std::span(&name, 1), favoriteFlags, ids) && !ids.empty())
            favoriteId_ = ids.front();
    });
    return favoriteId_;
}

std::unique_ptr<pim::Item> ContactStoreAccess::item(uint32_t objectId) {
    if (!app_ || objectId == noObjectId)
        return nullptr;
    return app_->getItemFromOidEx(objectId, 0);
}

bool ContactStoreAccess::loadFromCollection(ContactRecord& record, pim::ItemCollection& collection,
                                            uint32_t index, const ContactPropertyTable& table,
                                            const ContactTemplates& templates) {
    record.valid = false;
    ContactValues read;
    if (!readFromCollection(read, collection, index, table))
        return false;
    record.objectId = read.objectId;
    return fillRecord(record, read.values, read.favorite, table.formats, templates.showAllContact);
}

bool ContactStoreAccess::readFromCollection(ContactValues& read, pim::ItemCollection& collection,
                                            uint32_t index, const ContactPropertyTable& table) {
    std::vector<pim::PropValue> values;
    if (!collection.getProps(index, table.ids, values) || values.empty())
        return false;
    read.objectId = values[0].found() ? values[0].number : noObjectId;
    read.favorite = readFavorite(values, table.favoriteIndex);
    read.values = toValues(table.ids, values);
    return true;
}

bool ContactStoreAccess::loadFromItem(ContactRecord& record, uint32_t objectId,
                                      const ContactTemplates& templates) {
    record.valid = false;
    auto contact = item(objectId);
    if (!contact)
        return false;
    const std::vector<uint32_t>& ids = contactPropertyArray(favoriteId());
    std::vector<pim::PropValue> read;
    if (!contact->getProps(ids, read))
        return false;
    record.objectId = objectId;
    return fillRecord(record, toValues(ids, read), readFavorite(read, ids.size() - 1), templates,
                      !templates.phoneRequired);
}

bool ContactStoreAccess::setFavorite(ContactRecord& record, bool on) {
    uint32_t id = favoriteId();
    auto contact = item(record.objectId);
    if (!contact || id == 0)
        return false;
    pim::PropValue value = pim::PropValue::ofBoolean(id, on);
    if (!contact->setProps(0, std::span(&value, 1)) || !contact->save())
        return false;
    record.favorite = on;
    return true;
}

bool ContactStoreAccess::setNote(const ContactRecord& record, std::u16string_view text) {
    auto contact = item(record.objectId);
    if (!contact)
        return false;
    pim::PropValue value = pim::PropValue::ofString(prop::note, std::u16string(text));
    return contact->setProps(0, std::span(&value, 1)) && contact->save();
}

platform::ArgbImage ContactStoreAccess::loadPicture(uint32_t objectId, int width, int height) {
    auto contact = item(objectId);
    if (!contact || width <= 0 || height <= 0)
        return {};
    auto stream = contact->openProperty(prop::picture, pim::streamRead);
    if (!stream || stream->size() == 0 || stream->size() > maxPictureBytes)
        return {};
    const std::vector<uint8_t>& bytes = stream->bytes();
    platform::DecodedImage decoded = platform::decodeImage(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!decoded.ok())
        return {};
    return platform::scaleArgb(decoded.image, width, height);
}

std::vector<uint8_t> ContactStoreAccess::loadPictureBytes(uint32_t objectId) {
    auto contact = item(objectId);
    auto stream = contact ? contact->openProperty(prop::picture, pim::streamRead) : nullptr;
    if (!stream || stream->size() > maxPictureBytes)
        return {};
    return stream->bytes();
}

bool ContactStoreAccess::setPicture(const ContactRecord& record,
                                    const std::filesystem::path& file) {
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    if (error || size == 0 || size > maxPictureBytes)
        return false;
    std::string bytes;
    if (!platform::readWholeFile(file, bytes))
        return false;
    auto contact = item(record.objectId);
    if (!contact)
        return false;
    auto stream = contact->openProperty(prop::picture, pim::streamRead | pim::streamWrite);
    if (!stream || !stream->setSize(bytes.size()) || !stream->seek(0))
        return false;
    auto data = std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return stream->write(data) && stream->commit() && contact->save();
}

bool ContactStoreAccess::removePicture(const ContactRecord& record) {
    auto contact = item(record.objectId);
    if (!contact)
        return false;
    auto stream = contact->openProperty(prop::picture, pim::streamRead | pim::streamWrite);
    return stream && stream->setSize(0) && stream->commit();
}

} // namespace vantrel
