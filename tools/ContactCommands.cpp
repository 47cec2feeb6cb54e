#include "tools/ContactCommands.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PictureStream.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"
#include "platform/pim/PimItem.h"
#include "platform/pim/VCard.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace vantrel::tools {

using namespace vantrel::platform;
using namespace vantrel::platform::pim;

const char* const contactsUsage =
    "       vantrel-device contacts list\n"
    "       vantrel-device contacts add [--first NAME] [--last NAME] [--fileas NAME]\n"
    "                      [--company NAME] [--mobile|--home|--work NUMBER] [--email ADDRESS]\n"
    "                      [--city CITY] [--categories LIST] [--note TEXT] [--favorite]\n"
    "                      [--picture FILE]\n"
    "       vantrel-device contacts delete ID\n"
    "       vantrel-device contacts import FILE.vcf...\n"
    "       vantrel-device contacts export FILE.vcf\n";

namespace {

int usage() {
    std::fprintf(stderr, "usage:\n%s", contactsUsage);
    return 2;
}

int fail(const std::string& what) {
    std::fprintf(stderr, "vantrel-device: %s\n", what.c_str());
    return 1;
}

// One contact a line, fields split by tabs: a tab or line break inside a value would
// break the line apart, so it shows as a space.
std::string field(const std::u16string& text) {
    std::string out = toUtf8(text);
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return out;
}

PropId favoriteId(PimApp& app) {
    const std::u16string_view names[] = {u"is_favorite2"};
    std::vector<PropId> ids;
    // Created when missing, indexed, not replicated, boolean: as the program asks for it.
    return app.getIDsFromNames(names, 0x0061000B, ids) ? ids[0] : 0;
}

bool storePicture(Item& item, const std::vector<uint8_t>& bytes) {
    auto stream = item.openProperty(prop::picture, streamRead | streamWrite);
    return stream && stream->setSize(0) && stream->write(bytes) && stream->commit();
}

int list(PimApp& app) {
    auto items = app.getDefaultFolder(folderContacts)->getItems();
    if (!items)
        return fail("cannot read the contact store");
    PropId favorite = favoriteId(app);
    const std::pair<PropId, const char*> phones[] = {{prop::mobilePhone, "mobile"},
                                                     {prop::businessPhone, "business1"},
                                                     {prop::businessPhone2, "business2"},
                                                     {prop::homePhone, "home1"},
                                                     {prop::homePhone2, "home2"},
                                                     {prop::pager, "pager"},
                                                     {prop::carPhone, "car"},
                                                     {prop::radioPhone, "radio"},
                                                     {prop::companyPhone, "company"},
                                                     {prop::assistantPhone, "assistant"}};
    std::vector<PropId> ids{prop::oid, prop::fileAs, favorite, prop::email1};
    for (const auto& [id, name] : phones)
        ids.push_back(id);
    std::vector<PropValue> values;
    for (uint32_t i = 1; i <= items->count(); ++i) {
        if (!items->getProps(i, ids, values))
            return fail("cannot read the contact store");
        // ID, file-as name, "*" for a favourite, then type=number and the e-mail address.
        std::string line = std::to_string(values[0].number) + "\t" + field(values[1].text) + "\t" +
                           (values[2].found() && values[2].boolean() ? "*" : "-");
        for (size_t p = 0; p < std::size(phones); ++p)
            if (values[4 + p].found())
                line += "\t" + std::string(phones[p].second) + "=" + field(values[4 + p].text);
        if (values[3].found())
            line += "\temail=" + field(values[3].text);
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int add(PimApp& app, const std::vector<std::string>& args) {
    static const std::map<std::string, PropId> options = {
        {"--first", prop::firstName},    {"--last", prop::lastName},
        {"--fileas", prop::fileAs},      {"--company", prop::company},
        {"--mobile", prop::mobilePhone}, {"--home", prop::homePhone},
        {"--work", prop::businessPhone}, {"--email", prop::email1},
        {"--city", prop::homeCity},      {"--categories", prop::categories},
        {"--note", prop::note}};
    auto item = app.createItem(itemContact);
    std::vector<PropValue> values;
    std::string picture;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--favorite") {
            values.push_back(PropValue::ofBoolean(favoriteId(app), true));
            continue;
        }
        if (i + 1 >= args.size())
            return usage();
        if (args[i] == "--picture") {
            picture = args[++i];
            continue;
        }
        auto option = options.find(args[i]);
        if (option == options.end())
            return usage();
        values.push_back(PropValue::ofString(option->second, toUtf16(args[++i])));
    }
    if (values.empty())
        return usage();
    if (!item->setProps(0, values))
        return fail("cannot set the contact's properties");
    if (!picture.empty()) {
        std::string bytes;
        std::error_code error;
        uintmax_t size = std::filesystem::file_size(picture, error);
        if (error || size == 0 || size > maxPictureBytes || !readWholeFile(picture, bytes))
            return fail("cannot read the picture " + picture);
        if (!storePicture(*item, std::vector<uint8_t>(bytes.begin(), bytes.end())))
            return fail("cannot store the picture");
    }
    if (!item->save())
        return fail("cannot write the contact store");
    std::printf("%u\n", item->oid());
    return 0;
}

int remove(PimApp& app, const std::string& id) {
    char* end = nullptr;
    unsigned long oid = std::strtoul(id.c_str(), &end, 10);
    if (id.empty() || *end || oid == 0 || oid >= invalidOid)
        return usage();
    auto item = app.getItemFromOidEx(static_cast<Oid>(oid));
    if (!item || !item->deleteItem())
        return fail("no contact " + id);
    return 0;
}

int import(PimApp& app, const std::vector<std::string>& files) {
    int imported = 0;
    bool skipped = false;
    for (const std::string& file : files) {
        std::string text;
        std::error_code error;
        uintmax_t size = std::filesystem::file_size(file, error);
        if (!error && size > maxVCardBytes) {
            std::fprintf(stderr, "%s: larger than %zu MiB; not read\n", file.c_str(),
                         maxVCardBytes >> 20);
            skipped = true;
            continue;
        }
        if (error || !readWholeFile(file, text)) {
            std::fprintf(stderr, "%s: cannot read the file\n", file.c_str());
            skipped = true;
            continue;
        }
        VCardBatch batch = readVCards(text);
        for (const VCardProblem& problem : batch.problems) {
            std::fprintf(stderr, "%s:%zu: %s\n", file.c_str(), problem.line,
                         problem.reason.c_str());
            skipped |= problem.skipped;
        }
        for (const VCardContact& contact : batch.contacts) {
            auto item = app.createItem(itemContact);
            if (!item->setProps(0, contact.props) ||
                (!contact.picture.empty() && !storePicture(*item, contact.picture)) ||
                !item->save()) {
                std::fprintf(stderr, "%s:%zu: cannot store the card\n", file.c_str(), contact.line);
                skipped = true;
                continue;
            }
            ++imported;
        }
    }
    std::printf("imported %d contact%s\n", imported, imported == 1 ? "" : "s");
    return skipped ? 1 : 0;
}

int exportTo(PimApp& app, const std::string& file) {
    auto items = app.getDefaultFolder(folderContacts)->getItems();
    if (!items)
        return fail("cannot read the contact store");
    std::string out;
    std::vector<PropId> ids{prop::oid};
    for (PropId id : vCardProperties())
        ids.push_back(id);
    std::vector<PropValue> values;
    for (uint32_t i = 1; i <= items->count(); ++i) {
        if (!items->getProps(i, ids, values))
            return fail("cannot read the contact store");
        std::vector<uint8_t> picture;
        if (auto item = app.getItemFromOidEx(values[0].number))
            if (auto stream = item->openProperty(prop::picture, streamRead))
                picture = stream->bytes();
        out += writeVCard(std::span(values).subspan(1), picture);
    }
    if (!writeFileAtomically(file, out))
        return fail("cannot write " + file);
    std::printf("exported %u contact%s\n", items->count(), items->count() == 1 ? "" : "s");
    return 0;
}

} // namespace

int runContacts(const std::vector<std::string>& args) {
    if (args.empty())
        return usage();
    auto app = PimApp::create();
    const std::string& command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "list" && rest.empty())
        return list(*app);
    if (command == "add")
        return add(*app, rest);
    if (command == "delete" && rest.size() == 1)
        return remove(*app, rest[0]);
    if (command == "import" && !rest.empty())
        return import(*app, rest);
    if (command == "export" && rest.size() == 1)
        return exportTo(*app, rest[0]);
    return usage();
}

} // namespace vantrel::tools
