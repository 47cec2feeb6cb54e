#pragma once
// The program's access to the contact store: which properties are read for a contact
// (only those the theme's templates name), how a record is filled from one read, and
// the few writes the program makes (favourite, note, picture). The store object may be
// used from the loader thread and the user-interface thread at once; each call is
// atomic, and nothing here keeps state that both threads change, except the favourite
// property id, which is resolved once.

#include "contacts/ContactRecord.h"
#include "contacts/ContactTemplate.h"
#include "platform/gfx/ArgbImage.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel {

namespace platform::pim {
class ItemCollection;
class Item;
class PimApp;
} // namespace platform::pim

class LightControl;

// The templates a record's texts come from, read from the settings on the
// user-interface thread and handed to whoever fills records.
struct ContactTemplates {
    std::u16string firstLine;    // the list's "item.firstline.format"
    std::u16string secondLine;   // the list's "item.secondline.format"
    std::u16string sortOrder;    // the list's "item.sortorder.format"
    std::u16string header;       // "header.contactdetail.format"
    std::u16string detailLines;  // "label.contactdetail.detaillines.format"
    bool showAllContact = false; // the option: contacts without a phone are kept
    bool phoneRequired = true;   // the list's "item.phone.required"

    static ContactTemplates fromSettings(const LightControl& list);
};

// The templates of a list read once, for a pass that fills many records.
struct ContactFormats {
    ContactFormats() = default;
    explicit ContactFormats(const ContactTemplates& templates);

    ContactTemplate firstLine, secondLine, sortOrder, header, detailLines;
};

// The ids one collection read asks for: the fixed head (object id, file-as, the
// telephones, the e-mails), the favourite property, then every id the templates name;
// and the templates read, for the pass that uses the table.
struct ContactPropertyTable {
    std::vector<uint32_t> ids;
    size_t favoriteIndex = 0;
    ContactFormats formats;

    static ContactPropertyTable build(const ContactTemplates& templates, uint32_t favoriteId);
};

// The 64 ids read when one contact is fetched by its object id, then the favourite.
const std::vector<uint32_t>& contactPropertyArray(uint32_t favoriteId);

// Fills a record's texts and phones from one read: the phone list, then every
// template. False (record invalid) when it has no phone and phones are required.
bool fillRecord(ContactRecord& record, const PropertyValues& values, bool favorite,
                const ContactFormats& formats, bool keepWithoutPhone);
bool fillRecord(ContactRecord& record, const PropertyValues& values, bool favorite,
                const ContactTemplates& templates, bool keepWithoutPhone);

// One contact as a collection read returns it, before any of its texts is made.
struct ContactValues {
    uint32_t objectId = noObjectId;
    bool favorite = false;
    PropertyValues values;
};

class ContactStoreAccess {
public:
    // The store may be null (it could not be opened): every call then fails quietly.
    explicit ContactStoreAccess(std::shared_ptr<platform::pim::PimApp> app);

    platform::pim::PimApp* app() const { return app_.get(); }
    // The id of the named boolean "is_favorite2", created in the store when missing.
    uint32_t favoriteId();

    // LoadFromCollection: the contact at a 1-based index; false (record invalid) when
    // the read fails or the contact has no phone and "showallcontact" is off.
    bool loadFromCollection(ContactRecord& record, platform::pim::ItemCollection& collection,
                            uint32_t index, const ContactPropertyTable& table,
                            const ContactTemplates& templates);
    // Its read alone, so the texts can be made elsewhere (fillRecord with the table's
    // formats); false when the read fails.
    bool readFromCollection(ContactValues& read, platform::pim::ItemCollection& collection,
                            uint32_t index, const ContactPropertyTable& table);
    // LoadFromItem: the contact with that object id; false when it is gone, or when it has
    // no phone and the list requires one (the record is then filled but invalid).
    bool loadFromItem(ContactRecord& record, uint32_t objectId, const ContactTemplates& templates);

    // Writes the favourite flag; the record follows only when the store took it.
    bool setFavorite(ContactRecord& record, bool on);
    bool setNote(const ContactRecord& record, std::u16string_view text);
    // The contact's picture scaled to width x height; empty when it has none.
    platform::ArgbImage loadPicture(uint32_t objectId, int width, int height);
    // The contact's picture as the store keeps it, compressed; empty when it has none
    // or it is larger than maxPictureBytes.
    std::vector<uint8_t> loadPictureBytes(uint32_t objectId);
    // Stores the file's bytes as the picture; false when the file or the store failed.
    bool setPicture(const ContactRecord& record, const std::filesystem::path& file);
    bool removePicture(const ContactRecord& record);

    // Every contact's picture above this size is not decoded.
    static constexpr size_t maxPictureBytes = 8u << 20;

private:
    std::unique_ptr<platform::pim::Item> item(uint32_t objectId);

    std::shared_ptr<platform::pim::PimApp> app_;
    std::once_flag favoriteOnce_;
    uint32_t favoriteId_ = 0;
};

} // namespace vantrel
