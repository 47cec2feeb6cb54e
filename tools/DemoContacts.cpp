#include "tools/DemoContacts.h"

#include "platform/core/Utf.h"
#include "platform/gfx/ArgbImage.h"
#include "platform/imaging/PngWriter.h"
#include "platform/pim/PictureStream.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "tools/DemoRandom.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace vantrel::tools {

using namespace vantrel::platform;
using namespace vantrel::platform::pim;

namespace {

struct Place {
    const char16_t* city;
    const char16_t* postalCode;
    const char16_t* country;
    const char* prefix; // country calling code with "+"
    const char* mobile; // '#' a random digit
    const char* landline;
    bool trunkZero; // national numbers start with 0
};

const std::vector<Place> places = {
    {u"Zürich", u"8001", u"Switzerland", "+41", "79 ### ## ##", "44 ### ## ##", true},
    {u"Genève", u"1201", u"Switzerland", "+41", "78 ### ## ##", "22 ### ## ##", true},
    {u"München", u"80331", u"Germany", "+49", "151 ########", "89 #######", true},
    {u"Kraków", u"30-001", u"Poland", "+48", "501 ### ###", "12 ### ## ##", false},
    {u"São Paulo", u"01000-000", u"Brazil", "+55", "11 9####-####", "11 ####-####", false},
    {u"Lisboa", u"1100-148", u"Portugal", "+351", "91# ### ###", "21# ### ###", false},
    {u"Montréal", u"H2X 1Y4", u"Canada", "+1", "514 ###-####", "438 ###-####", false},
    {u"Malmö", u"211 20", u"Sweden", "+46", "70-### ## ##", "40-## ## ##", true},
    {u"Reykjavík", u"101", u"Iceland", "+354", "6## ####", "5## ####", false},
    {u"Москва", u"101000", u"Russia", "+7", "916 ###-##-##", "495 ###-##-##", false},
    {u"Αθήνα", u"105 51", u"Greece", "+30", "69# ### ####", "21# ### ####", false},
    {u"東京", u"100-0001", u"Japan", "+81", "90-####-####", "3-####-####", true},
    {u"서울", u"04524", u"South Korea", "+82", "10-####-####", "2-####-####", true},
    {u"北京", u"100000", u"China", "+86", "138 #### ####", "10 #### ####", true},
};

struct Culture {
    std::vector<const char16_t*> firstNames;
    std::vector<const char16_t*> lastNames;
    std::vector<int> places; // indexes into `places`
    std::vector<const char16_t*> companies;
    bool familyNameFirst; // shown "王伟", not "伟 王"
    uint32_t weight;
};

const std::vector<Culture> cultures = {
    {{u"Jürgen", u"Anja", u"Lukas", u"Mia", u"Noah", u"Matthias", u"Ursula", u"Dominik", u"Sophie",
      u"Jörg", u"Käthi", u"Reto"},
     {u"Müller", u"Schäfer", u"Zürcher", u"Häberli", u"Brändli", u"Weiß", u"Kühn", u"Meier",
      u"Fässler", u"Großmann", u"Abächerli", u"Übersax"},
     {0, 2},
     {u"Helvetia Präzision AG", u"Bergbahnen Säntis", u"Münchner Brauhaus",
      u"Zürcher Kantonalbank"},
     false,
     18},
    {{u"Émile", u"Chloé", u"Gaëlle", u"Noémie", u"Sébastien", u"Agnès", u"Maël", u"Hélène",
      u"François", u"Zoë", u"Étienne", u"Océane"},
     {u"Dubois", u"Lefèvre", u"Girard", u"Rousseau", u"Bérard", u"Château", u"Leclerc", u"Moreau",
      u"Évrard", u"Ollivier"},
     {1, 6},
     {u"Boulangerie Étoile", u"Café Lumière", u"Société Générale du Nord"},
     false,
     14},
    {{u"José", u"Lucía", u"Iñigo", u"Tomás", u"Vitória", u"João", u"Mariana", u"Raúl", u"Inês",
      u"Álvaro"},
     {u"García", u"Ibáñez", u"Ferreira", u"Gonçalves", u"Núñez", u"Araújo", u"Peña", u"Álvarez"},
     {4, 5},
     {u"Banco Andino", u"Cerâmica Lusitana", u"Viagens Atlântico"},
     false,
     10},
    {{u"Łukasz", u"Zdeněk", u"Małgorzata", u"Agnieszka", u"Jiří", u"Paweł", u"Kateřina"},
     {u"Kowalski", u"Nowak", u"Wiśniewska", u"Dvořák", u"Łęcki", u"Zieliński", u"Čapek"},
     {3},
     {u"Wawel Software", u"Śląsk Logistics"},
     false,
     8},
    {{u"Søren", u"Åsa", u"Björn", u"Ingrid", u"Pål", u"Sigríður", u"Ólafur", u"Linnéa"},
     {u"Østergaard", u"Ångström", u"Björklund", u"Eriksson", u"Guðmundsdóttir", u"Lindqvist",
      u"Ödegaard"},
     {7, 8},
     {u"Nordlys AS", u"Öresund Shipping"},
     false,
     8},
    {{u"Oliver", u"Emma", u"Liam", u"Charlotte", u"Amelia", u"Harry", u"Grace", u"Zachary",
      u"Yvonne", u"Victor"},
     {u"Smith", u"O'Brien", u"Whitfield", u"Young", u"Abbott", u"Quinn", u"Xu", u"Irving",
      u"Kennedy", u"Vaughan"},
     {6},
     {u"Oceanic Freight", u"Maple Leaf Media", u"Quinn & Partners"},
     false,
     12},
    {{u"Анна", u"Борис", u"Дмитрий", u"Елена", u"Игорь", u"Мария", u"Ольга", u"Сергей", u"Юлия"},
     {u"Ковальчук", u"Шевченко", u"Ким", u"Бондаренко", u"Мельник", u"Лысенко", u"Ткаченко"},
     {9},
     {u"ООО Ромашка", u"Северный Ветер"},
     false,
     8},
    {{u"Γιώργος", u"Ελένη", u"Νίκος", u"Μαρία", u"Δημήτρης", u"Κατερίνα", u"Σοφία"},
     {u"Οικονόμου", u"Αλεξίου", u"Γεωργίου", u"Νικολάου", u"Ιωάννου", u"Δημητρίου"},
     {10},
     {u"Τεχνική Δέλτα Α.Ε."},
     false,
     6},
    {{u"花子", u"一郎", u"健", u"さくら", u"大輔", u"美咲"},
     {u"佐藤", u"鈴木", u"高橋", u"田中", u"渡辺"},
     {11},
     {u"株式会社サクラ"},
     true,
     6},
    {{u"민준", u"서연", u"지훈", u"하은"},
     {u"김", u"이", u"박", u"최"},
     {12},
     {u"한빛전자"},
     true,
     4},
    {{u"伟", u"娜", u"敏", u"静", u"磊", u"芳"},
     {u"王", u"李", u"张", u"刘", u"陈"},
     {13},
     {u"长城科技"},
     true,
     6},
};

const std::vector<const char16_t*> categoryNames = {u"Family", u"Friends",    u"Work", u"Sport",
                                                    u"Music",  u"Neighbours", u"VIP",  u"Holiday"};

const std::vector<const char16_t*> notes = {u"Met at the conference in spring.",
                                            u"Allergic to nuts.\nLikes dark chocolate.",
                                            u"Call after 18:00 only.", u"Spare key holder."};

const std::vector<const char16_t*> services = {u"Pizzeria Bella Napoli", u"Taxi Central",
                                               u"Dr. Fischer's Practice", u"Garage Lämmli"};

std::u16string fillDigits(DemoRandom& random, const char* pattern) {
    std::u16string out;
    for (const char* p = pattern; *p; ++p)
        out +=
            *p == '#' ? static_cast<char16_t>(u'0' + random.below(10)) : static_cast<char16_t>(*p);
    return out;
}

// International form most of the time; the national form (a trunk zero where the
// country has one) otherwise, as people type numbers into their phones.
std::u16string phoneNumber(DemoRandom& random, const Place& place, bool mobile) {
    std::u16string local = fillDigits(random, mobile ? place.mobile : place.landline);
    if (random.chance(25))
        return (place.trunkZero ? u"0" : u"") + local;
    return toUtf16(place.prefix) + u" " + local;
}

// "Dmitrij", "Gaelle", "Wang": the name as an e-mail address can hold it.
class AsciiNames {
public:
    AsciiNames() {
        UErrorCode status = U_ZERO_ERROR;
        transliterator_.reset(icu::Transliterator::createInstance("Any-Latin; Latin-ASCII; Lower",
                                                                  UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            transliterator_.reset();
    }
    std::string operator()(std::u16string_view name) const {
        icu::UnicodeString text(reinterpret_cast<const UChar*>(name.data()),
                                static_cast<int32_t>(name.size()));
        if (transliterator_)
            transliterator_->transliterate(text);
        std::string out;
        for (int32_t i = 0; i < text.length(); ++i) {
            UChar c = text[i];
            if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
                out += static_cast<char>(c);
        }
        return out.empty() ? "contact" : out;
    }

private:
    std::unique_ptr<icu::Transliterator> transliterator_;
};

// A 96x96 avatar: a symmetric 5x5 pattern in one hue on a light tint of it, so every
// contact's picture is its own and the set looks of a piece.
std::vector<uint8_t> avatarPng(DemoRandom& random) {
    constexpr int size = 96, cells = 5, margin = 8, cell = (size - 2 * margin) / cells;
    int hue = static_cast<int>(random.below(360));
    auto colour = [&](double lightness) {
        // HSL with a fixed saturation, enough for a handful of distinct hues.
        double c = (1 - std::abs(2 * lightness - 1)) * 0.55;
        double x = c * (1 - std::abs(std::fmod(hue / 60.0, 2) - 1));
        double m = lightness - c / 2, r = 0, g = 0, b = 0;
        switch (hue / 60) {
        case 0:
            r = c, g = x;
            break;
        case 1:
            r = x, g = c;
            break;
        case 2:
            g = c, b = x;
            break;
        case 3:
            g = x, b = c;
            break;
        case 4:
            r = x, b = c;
            break;
        default:
            r = c, b = x;
        }
        return argb(255, static_cast<int>((r + m) * 255), static_cast<int>((g + m) * 255),
                    static_cast<int>((b + m) * 255));
    };
    ArgbImage image(size, size, colour(0.9));
    uint32_t ink = colour(0.45);
    for (int row = 0; row < cells; ++row)
        for (int col = 0; col <= cells / 2; ++col) {
            if (!random.chance(50))
                continue;
            for (int mirror : {col, cells - 1 - col})
                for (int y = 0; y < cell; ++y)
                    for (int x = 0; x < cell; ++x)
                        image.set(margin + mirror * cell + x, margin + row * cell + y, ink);
        }
    std::string png = encodePng(image);
    return std::vector<uint8_t>(png.begin(), png.end());
}

} // namespace

bool seedDemoContacts(PimApp& app, uint32_t count, uint32_t seed, std::vector<DemoContact>& made) {
    DemoRandom random(seed);
    AsciiNames ascii;
    const std::u16string_view favoriteName[] = {u"is_favorite2"};
    std::vector<PropId> favoriteIds;
    if (!app.getIDsFromNames(favoriteName, 0x0061000B, favoriteIds)) {
        std::fprintf(stderr, "vantrel-device: cannot write the contact store\n");
        return false;
    }
    uint32_t totalWeight = 0;
    for (const Culture& culture : cultures)
        totalWeight += culture.weight;

    for (uint32_t i = 0; i < count; ++i) {
        std::vector<PropValue> values;
        DemoContact contact;
        auto add = [&](PropId id, std::u16string text) {
            values.push_back(PropValue::ofString(id, std::move(text)));
        };
        // One contact in twenty is a business or service known only by its name.
        if (random.chance(5)) {
            // The services are in the Latin-script places, which come first.
            const Place& place = places[random.below(9)];
            contact.name = random.pick(services);
            add(prop::company, contact.name);
            std::u16string number = phoneNumber(random, place, false);
            add(prop::businessPhone, number);
            add(prop::businessCity, place.city);
            add(prop::businessCountry, place.country);
            contact.numbers.push_back(number);
        } else {
            uint32_t ticket = static_cast<uint32_t>(random.below(totalWeight));
            const Culture* culture = &cultures[0];
            for (const Culture& c : cultures) {
                if (ticket < c.weight) {
                    culture = &c;
                    break;
                }
                ticket -= c.weight;
            }
            std::u16string first = random.pick(culture->firstNames);
            std::u16string last = random.pick(culture->lastNames);
            const Place& place = places[static_cast<size_t>(random.pick(culture->places))];
            add(prop::firstName, first);
            add(prop::lastName, last);
            if (culture->familyNameFirst) {
                add(prop::fileAs, last + first);
                contact.name = last + first;
            } else {
                contact.name = first + u" " + last;
            }
            // Most have a mobile; some have only a landline, one in fifty none at all.
            if (!random.chance(2)) {
                if (!random.chance(10)) {
                    std::u16string mobile = phoneNumber(random, place, true);
                    add(prop::mobilePhone, mobile);
                    contact.numbers.push_back(mobile);
                }
                if (contact.numbers.empty() || random.chance(40)) {
                    std::u16string home = phoneNumber(random, place, false);
                    add(prop::homePhone, home);
                    contact.numbers.push_back(home);
                }
            }
            if (random.chance(35)) {
                std::u16string company = random.pick(culture->companies);
                add(prop::company, company);
                if (random.chance(60)) {
                    std::u16string work = phoneNumber(random, place, false);
                    add(prop::businessPhone, work);
                    contact.numbers.push_back(work);
                }
                if (random.chance(20))
                    add(prop::businessFax, phoneNumber(random, place, false));
                add(prop::businessCity, place.city);
                add(prop::businessCountry, place.country);
            } else {
                add(prop::homeCity, place.city);
                add(prop::homePostalCode, place.postalCode);
                add(prop::homeCountry, place.country);
            }
            if (random.chance(70)) {
                const char* domains[] = {"example.org", "example.com", "example.net"};
                std::string local = ascii(first) + "." + ascii(last);
                add(prop::email1, toUtf16(local + "@" + domains[random.below(3)]));
                if (random.chance(20))
                    add(prop::email2, toUtf16(ascii(first) + std::to_string(random.below(100)) +
                                              "@mail.example.com"));
            }
            std::u16string categories;
            for (uint32_t n = random.below(3); n > 0; --n) {
                std::u16string category = random.pick(categoryNames);
                if (categories.find(category) == std::u16string::npos)
                    categories += (categories.empty() ? u"" : u", ") + category;
            }
            if (!categories.empty())
                add(prop::categories, categories);
            if (random.chance(10))
                add(prop::note, random.pick(notes));
            if (random.chance(30)) {
                // Birthdays between 1950 and 2005, at midnight UTC as the store keeps dates.
                uint64_t day = 127009 + random.below(20089); // 1948-09-27 .. 2003-07-06
                values.push_back(PropValue::ofDate(prop::birthday, day * 864000000000ull));
            }
            if (random.chance(15))
                values.push_back(PropValue::ofBoolean(favoriteIds[0], true));
        }
        std::vector<uint8_t> picture;
        if (random.chance(45))
            picture = avatarPng(random);

        auto item = app.createItem(itemContact);
        bool stored = item->setProps(0, values);
        if (stored && !picture.empty()) {
            auto stream = item->openProperty(prop::picture, streamWrite);
            stored = stream && stream->write(picture) && stream->commit();
        }
        if (!stored || !item->save()) {
            std::fprintf(stderr, "vantrel-device: cannot write the contact store\n");
            return false;
        }
        made.push_back(std::move(contact));
    }
    return true;
}

} // namespace vantrel::tools
