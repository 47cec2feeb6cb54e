// vCards as users bring them: a 2.1 export of an old phone (quoted-printable with
// charsets and soft line breaks, bare parameter types), a 3.0 card with folded and
// escaped values and a base64 photo, a 4.0 card with quoted parameters, a tel: URI and
// a photo given by URI; broken cards reported by line and skipped; and our own export
// read back unchanged.
#include "platform/pim/VCard.h"
#include "platform/core/Utf.h"
#include "platform/pim/PropValue.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

using namespace vantrel::platform::pim;

namespace vantrel::platform::pim {
void PrintTo(const PropValue& value, std::ostream* out) {
    *out << std::hex << value.id << std::dec << "/" << value.flags << ": \"" << toUtf8(value.text)
         << "\" " << value.number << " " << value.fileTime;
}
} // namespace vantrel::platform::pim

namespace {

std::map<PropId, PropValue> byId(const VCardContact& contact) {
    std::map<PropId, PropValue> map;
    for (const PropValue& value : contact.props)
        map[value.id] = value;
    return map;
}

std::u16string text(const VCardContact& contact, PropId id) {
    auto map = byId(contact);
    return map.count(id) ? map[id].text : u"<absent>";
}

TEST(VCard, ReadsAPhoneExportIn21WithQuotedPrintableCharsetsAndSoftBreaks) {
    const char* card = "BEGIN:VCARD\r\n"
                       "VERSION:2.1\r\n"
                       "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\r\n"
                       "TEL;CELL;PREF:+41791234567\r\n"
                       "TEL;HOME;VOICE:044 123 45 67\r\n"
                       "TEL;WORK;FAX:044 999 99 99\r\n"
                       "ADR;HOME;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:;;Bahnhofstr=\r\n"
                       "=E4sse 1;Z=FCrich;;8001;Schweiz\r\n"
                       "NOTE;ENCODING=QUOTED-PRINTABLE:Erste Zeile=0D=0A=\r\n"
                       "zweite Zeile\r\n"
                       "EMAIL;INTERNET:juergen@example.ch\r\n"
                       "END:VCARD\r\n";
    VCardBatch batch = readVCards(card);
    ASSERT_EQ(batch.contacts.size(), 1u);
    EXPECT_TRUE(batch.problems.empty());
    const VCardContact& c = batch.contacts[0];
    EXPECT_EQ(text(c, prop::lastName), u"Müller");
    EXPECT_EQ(text(c, prop::firstName), u"Jürgen");
    EXPECT_EQ(text(c, prop::mobilePhone), u"+41791234567");
    EXPECT_EQ(text(c, prop::homePhone), u"044 123 45 67");
    EXPECT_EQ(text(c, prop::businessFax), u"044 999 99 99");
    EXPECT_EQ(text(c, prop::homeStreet), u"Bahnhofsträsse 1");
    EXPECT_EQ(text(c, prop::homeCity), u"Zürich");
    EXPECT_EQ(text(c, prop::homePostalCode), u"8001");
    EXPECT_EQ(text(c, prop::note), u"Erste Zeile\nzweite Zeile");
    EXPECT_EQ(text(c, prop::email1), u"juergen@example.ch");
}

TEST(VCard, Reads30FoldedEscapedValuesAndABase64Photo) {
    const char* card = "BEGIN:VCARD\n"
                       "VERSION:3.0\n"
                       "item1.N:O\\;Brien;Se\n"
                       " án;;;\n"
                       "FN:Seán O;Brien\n"
                       "ORG:Acme\\, Inc.;Research\n"
                       "NOTE:line one\\nline two\\, with comma\\\\backslash and C:\\photos\n"
                       "CATEGORIES:Work,Friends\\, old,VIP\n"
                       "TEL;TYPE=WORK,VOICE:+1 555 0100\n"
                       "TEL;TYPE=WORK:+1 555 0101\n"
                       "TEL;TYPE=WORK:+1 555 0102\n"
                       "BDAY:1969-07-20\n"
                       "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0K\n"
                       "\tGgo=\n"
                       "END:VCARD\n";
    VCardBatch batch = readVCards(card);
    ASSERT_EQ(batch.contacts.size(), 1u);
    const VCardContact& c = batch.contacts[0];
    EXPECT_EQ(text(c, prop::lastName), u"O;Brien");
    EXPECT_EQ(text(c, prop::firstName), u"Seán");
    EXPECT_EQ(text(c, prop::company), u"Acme, Inc.");
    EXPECT_EQ(text(c, prop::department), u"Research");
    EXPECT_EQ(text(c, prop::note), u"line one\nline two, with comma\\backslash and C:\\photos");
    EXPECT_EQ(text(c, prop::categories), u"Work, Friends, old, VIP");
    EXPECT_EQ(text(c, prop::businessPhone), u"+1 555 0100");
    EXPECT_EQ(text(c, prop::businessPhone2), u"+1 555 0101");
    EXPECT_EQ(text(c, prop::companyPhone), u"+1 555 0102");
    EXPECT_EQ(byId(c)[prop::birthday].fileTime,
              116444736000000000ull - 3 * 864000000000ull - 162 * 864000000000ull);
    EXPECT_EQ(c.picture, (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
}

TEST(VCard, Reads40QuotedParametersTelUrisAndSkipsAPhotoGivenByUri) {
    const char* card =
        "BEGIN:VCARD\r\n"
        "VERSION:4.0\r\n"
        "FN:Zoë Example\r\n"
        "TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+33-6-12-34-56-78\r\n"
        "PHOTO;MEDIATYPE=image/jpeg:http://example.com/photo.jpg\r\n"
        "ADR;TYPE=work;LABEL=\"Rue 1\\nParis; France\":;;Rue 1;Paris;;75001;France\r\n"
        "END:VCARD\r\n"
        "BEGIN:VCARD\r\n"
        "VERSION:4.0\r\n"
        "FN:Data Photo\r\n"
        "PHOTO:data:image/png;base64,AAEC\r\n"
        "END:VCARD\r\n";
    VCardBatch batch = readVCards(card);
    ASSERT_EQ(batch.contacts.size(), 2u);
    EXPECT_TRUE(batch.problems.empty());
    const VCardContact& c = batch.contacts[0];
    EXPECT_EQ(text(c, prop::fileAs), u"Zoë Example"); // no N: the formatted name
    EXPECT_EQ(text(c, prop::mobilePhone), u"+33-6-12-34-56-78");
    EXPECT_EQ(text(c, prop::businessCity), u"Paris");
    EXPECT_TRUE(c.picture.empty());
    EXPECT_EQ(batch.contacts[1].picture, (std::vector<uint8_t>{0, 1, 2}));
}

TEST(VCard, ABrokenCardIsReportedByLineAndTheOthersComeThrough) {
    const char* text = "BEGIN:VCARD\n"            // 1
                       "VERSION:3.0\n"            // 2
                       "N:One;First;;;\n"         // 3
                       "END:VCARD\n"              // 4
                       "BEGIN:VCARD\n"            // 5
                       "VERSION:3.0\n"            // 6
                       "N:Two;Broken;;;\n"        // 7
                       "this line has no colon\n" // 8
                       "TEL:123\n"                // 9
                       "END:VCARD\n"              // 10
                       "BEGIN:VCARD\n"            // 11
                       "VERSION:3.0\n"            // 12
                       "N:Three;Unended;;;\n"     // 13
                       "BEGIN:VCARD\n"            // 14
                       "VERSION:9.9\n"            // 15
                       "END:VCARD\n"              // 16
                       "stray text\n"             // 17
                       "BEGIN:VCARD\n"            // 18
                       "N:Four;Last;;;\n"         // 19
                       "PHOTO;ENCODING=b:***\n"   // 20
                       "END:VCARD\n";             // 21
    VCardBatch batch = readVCards(text);
    ASSERT_EQ(batch.contacts.size(), 2u);
    EXPECT_EQ(byId(batch.contacts[0])[prop::lastName].text, u"One");
    EXPECT_EQ(byId(batch.contacts[1])[prop::lastName].text, u"Four");
    EXPECT_TRUE(batch.contacts[1].picture.empty());
    std::vector<std::pair<size_t, bool>> lines;
    for (const VCardProblem& problem : batch.problems)
        lines.emplace_back(problem.line, problem.skipped);
    EXPECT_EQ(lines, (std::vector<std::pair<size_t, bool>>{
                         {8, true}, {11, true}, {15, true}, {17, true}, {20, false}}));
    EXPECT_NE(batch.problems[0].reason.find("colon"), std::string::npos);
}

TEST(VCard, OurExportReadsBackUnchangedWithLongFoldedUtf8AndAPicture) {
    std::vector<PropValue> props{
        PropValue::ofString(prop::firstName, u"Ελένη"),
        PropValue::ofString(prop::lastName, u"Οικονόμου"),
        PropValue::ofString(prop::fileAs, u"Lena O."),
        PropValue::ofString(prop::company, u"Τεχνική; Δέλτα, Α.Ε."),
        PropValue::ofString(prop::mobilePhone, u"+30 691 234 5678"),
        PropValue::ofString(prop::homePhone, u"210 123 4567"),
        PropValue::ofString(prop::homePhone2, u"210 765 4321"),
        PropValue::ofString(prop::email1, u"eleni@example.gr"),
        PropValue::ofString(prop::email2, u"e2@example.gr"),
        PropValue::ofString(prop::homeStreet, u"Οδός Ερμού 12"),
        PropValue::ofString(prop::homeCity, u"Αθήνα"),
        PropValue::ofString(prop::otherCountry, u"Κύπρος"),
        PropValue::ofString(prop::note, std::u16string(40, u'λ') + u"\nδεύτερη γραμμή\\ ok"),
        PropValue::ofString(prop::categories, u"Family, Friends"),
        PropValue::ofDate(prop::birthday,
                          132000000000000000ull / 864000000000ull * 864000000000ull),
    };
    std::vector<uint8_t> picture(3000);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<uint8_t>(i * 7);
    std::string card = writeVCard(props, picture);
    for (size_t start = 0, end; (end = card.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        EXPECT_LE(end - start, 75u);
    VCardBatch batch = readVCards(card);
    ASSERT_EQ(batch.contacts.size(), 1u);
    EXPECT_TRUE(batch.problems.empty());
    std::map<PropId, PropValue> expected;
    for (const PropValue& value : props)
        expected[value.id] = value;
    EXPECT_EQ(byId(batch.contacts[0]), expected);
    EXPECT_EQ(batch.contacts[0].picture, picture);
}

TEST(VCard, OutsideDataStaysWithinItsBounds) {
    // A photo line beyond the bound is refused without reading it into memory twice.
    std::string huge =
        "BEGIN:VCARD\nN:Big;;;;\nPHOTO;ENCODING=b:" + std::string(maxVCardLine, 'A') +
        "\nEND:VCARD\nBEGIN:VCARD\nN:Small;;;;\nEND:VCARD\n";
    VCardBatch batch = readVCards(huge);
    ASSERT_EQ(batch.contacts.size(), 1u);
    EXPECT_EQ(byId(batch.contacts[0])[prop::lastName].text, u"Small");
    ASSERT_EQ(batch.problems.size(), 1u);
    EXPECT_EQ(batch.problems[0].line, 3u);
}

} // namespace
