// The template language as the contact texts use it: which placeholder reads what, the
// order that keeps "%email" out of "%email2", the preferred address and number, and
// the clean-up of what empty values leave behind.

#include "contacts/ContactTemplate.h"
#include "contacts/ContactStoreAccess.h"
#include "platform/core/Utf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace vantrel;

namespace {

// Values as one store read returns them: every id of `fetched` asked for, those in
// `set` with a value.
class Values {
public:
    Values(std::vector<uint32_t> fetched, std::map<uint32_t, std::u16string> set)
        : ids_(std::move(fetched)), values_(&ids_) {
        for (auto& [id, text] : set)
            if (std::u16string* slot = values_.find(id))
                *slot = text;
    }
    const PropertyValues& get() const { return values_; }

private:
    std::vector<uint32_t> ids_;
    PropertyValues values_;
};

std::vector<uint32_t> idsOf(std::u16string_view format) {
    std::vector<uint32_t> ids;
    collectTemplateProperties(format, ids);
    return ids;
}

constexpr uint32_t company = 0x008A001F;
constexpr uint32_t companyPhone = 0x00A0001F;
constexpr uint32_t businessStreet = 0x00C1001F, businessCity = 0x00C2001F;
constexpr uint32_t homeStreet = 0x00D1001F, homeCity = 0x00D2001F, homePostal = 0x00D4001F;

} // namespace

TEST(ContactTemplate, PhoneAndEmptyCompanyLeaveNoBracketsBehind) {
    const std::u16string format = u"%phone (%company)";
    std::vector<PhoneEntry> phones{{u"022 555 01 01", prop::home},
                                   {u"+41 79 555 01 01", prop::mobile}};
    Values none(idsOf(format), {});
    EXPECT_EQ(expandTemplate(format, none.get(), phones), u"+41 79 555 01 01");
    EXPECT_EQ(expandTemplate(format, none.get(), {}), u"");
    Values acme(idsOf(format), {{company, u"Acme"}});
    EXPECT_EQ(expandTemplate(format, acme.get(), phones), u"+41 79 555 01 01 (Acme)");
}

TEST(ContactTemplate, LongerPlaceholdersAreReplacedBeforeTheirPrefixes) {
    const std::u16string format = u"%email2 / %email / %companyphone %company";
    Values values(idsOf(format), {{prop::email1, u"a@x.ch"},
                                  {prop::email2, u"b@x.ch"},
                                  {companyPhone, u"044"},
                                  {company, u"Acme"}});
    EXPECT_EQ(expandTemplate(format, values.get(), {}), u"b@x.ch / a@x.ch / 044 Acme");
}

// Replacing in order can make a placeholder that the template did not hold: a value put
// in next to a "%", or a value with a "%" of its own. Those are replaced as well.
TEST(ContactTemplate, PlaceholdersMadeByEarlierReplacementsAreReplacedToo) {
    const std::vector<uint32_t> ids{prop::fileAs, 0x0084001F, company, prop::email1, prop::email2};
    // "%name" becomes "2", which makes "%email2" of "%email".
    Values digit(ids, {{0x0084001F, u"2"}, {prop::email1, u"a@x"}, {prop::email2, u"b@x"}});
    EXPECT_EQ(expandTemplate(u"%email%name", digit.get(), {}), u"b@x");
    // An empty "%name" after a "%" leaves "%company".
    Values empty(ids, {{company, u"Acme"}});
    EXPECT_EQ(expandTemplate(u"%%namecompany", empty.get(), {}), u"Acme");
    // A file-as name holding a placeholder of its own.
    Values percent(ids, {{prop::fileAs, u"%company"}, {company, u"Acme"}});
    EXPECT_EQ(expandTemplate(u"%fileas", percent.get(), {}), u"Acme");
}

TEST(ContactTemplate, UnfetchedPlaceholdersStayAndFetchedEmptyOnesVanish) {
    Values values({prop::fileAs}, {});
    EXPECT_EQ(expandTemplate(u"%fileas %nickname", values.get(), {}), u"%nickname");
}

TEST(ContactTemplate, TheAddressPlaceholdersReadThePreferredAddress) {
    const std::u16string format = u"%addressstreet, %addresscity %addresspostalcode";
    // Only a home city: the home address answers every derived placeholder.
    Values home(idsOf(format), {{homeCity, u"Bern"}, {homePostal, u"3000"}});
    EXPECT_EQ(expandTemplate(format, home.get(), {}), u"Bern 3000");
    // A business street wins over a home city, even without a business city.
    Values both(idsOf(format),
                {{businessStreet, u"Hauptstr. 1"}, {homeCity, u"Bern"}, {homeStreet, u"Gasse 2"}});
    EXPECT_EQ(expandTemplate(format, both.get(), {}), u"Hauptstr. 1,");
    EXPECT_EQ(expandTemplate(u"%addresscity", both.get(), {}), u"");
    // Business, home and other addresses are all fetched for a derived placeholder.
    EXPECT_EQ(idsOf(u"%addresscity").size(), 18u);
}

TEST(ContactTemplate, LineBreaksComeFromBackslashNAndCollapse) {
    const std::u16string format =
        u"%categories\\n\\n%addressstreet\\n%addresscity %addresspostalcode";
    Values values(idsOf(format), {{homeCity, u"Bern"}, {homePostal, u"3000"}});
    // Empty categories and street: the three breaks before the city become one.
    EXPECT_EQ(expandTemplate(format, values.get(), {}), u"Bern 3000");
    EXPECT_EQ(expandTemplate(u"%categories\\n%addresscity", values.get(), {}), u"Bern");
    EXPECT_EQ(cleanUpExpansion(u"a\\n\\n\\nb"), u"a\nb");
    EXPECT_EQ(cleanUpExpansion(u"-/, Zurich ,/-"), u"Zurich");
    // Each rule runs once, in order: the comma goes before the break, the brackets and
    // the double space before the space after the break, the ends last.
    EXPECT_EQ(cleanUpExpansion(u"Acme,\n Bern  []"), u"Acme\nBern");
}

TEST(ContactTemplate, CollectingAddsEachPlaceholderOnceAndNothingForThePhone) {
    std::vector<uint32_t> table{prop::fileAs};
    collectTemplateProperties(u"%fileas %email2 %email %phone %email", table);
    EXPECT_EQ(table, (std::vector<uint32_t>{prop::fileAs, prop::email2, prop::email1}));
}

TEST(ContactTemplate, ARecordTakesPhonesInOrderAndFallsBackToTheFileAsName) {
    ContactTemplates templates;
    templates.firstLine = u"%nickname";
    templates.sortOrder = u"%nickname";
    templates.secondLine = u"%phone";
    ContactPropertyTable table = ContactPropertyTable::build(templates, 0x8001000B);
    PropertyValues values(&table.ids);
    *values.find(prop::fileAs) = u"Müller, Anna";
    *values.find(prop::mobile) = u"079 1";
    *values.find(prop::home) = u"031 2";
    *values.find(prop::homeFax) = u"031 3";
    ContactRecord record;
    ASSERT_TRUE(fillRecord(record, values, true, templates, false));
    EXPECT_EQ(record.firstLine, u"Müller, Anna");
    EXPECT_EQ(record.sortKey, u"MÜLLER, ANNA");
    // Each number goes to the front: the mobile, taken first, ends last and is preferred;
    // faxes are never taken.
    EXPECT_EQ(record.phones,
              (std::vector<PhoneEntry>{{u"031 2", prop::home}, {u"079 1", prop::mobile}}));
    EXPECT_EQ(record.secondLine, u"079 1");
    EXPECT_TRUE(record.favorite);

    ContactRecord noPhone;
    PropertyValues empty(&table.ids);
    EXPECT_FALSE(fillRecord(noPhone, empty, false, templates, false));
    EXPECT_TRUE(fillRecord(noPhone, empty, false, templates, true));
}

// A template read once expands as the placeholder-by-placeholder replacement does, in
// the cases where splitting it up front could go wrong: names that are prefixes of
// others, a value that completes a longer name, values holding "%", "%" signs that
// start nothing, ids that were not fetched. Templates and values are drawn from pieces
// of those kinds, many times over.
TEST(ContactTemplate, AReadTemplateExpandsAsTheReplacementsDo) {
    // Pieces and values, each list split at "|".
    auto split = [](std::u16string_view list) {
        std::vector<std::u16string> parts;
        for (size_t from = 0, at; from <= list.size(); from = at + 1) {
            at = std::min(list.find(u'|', from), list.size());
            parts.emplace_back(list.substr(from, at - from));
        }
        return parts;
    };
    const auto pieces = split(u"%fileas|%email|%email2|%ema|%company|%companyphone|%name|%phone|"
                              u"%address|%addresscity|%addressstreet|%|%%| | (|)|\\n|, |2|phone|"
                              u"city|x|%categories|%nickname");
    const auto texts = split(u"||Acme|2|phone|city|a%|Bern|%company| - |\n|Berg, Anna");
    const uint32_t ids[] = {prop::fileAs,   prop::email1, prop::email2, company,
                            companyPhone,   0x0084001F,   0x0086001F,   prop::categories,
                            businessStreet, businessCity, homeStreet,   homeCity};
    std::mt19937 random(13);
    auto pick = [&random](const auto& from) { return from[random() % std::size(from)]; };
    for (int round = 0; round < 20000; ++round) {
        std::u16string format;
        for (int n = static_cast<int>(random() % 5); n >= 0; --n)
            format += pick(pieces);
        // Most rounds fetch what the template names, some a random part of the ids.
        std::vector<uint32_t> fetched = idsOf(format);
        if (random() % 4 == 0)
            for (uint32_t id : ids)
                if (random() % 2)
                    fetched.push_back(id);
        std::map<uint32_t, std::u16string> set;
        for (uint32_t id : ids)
            set[id] = std::u16string(pick(texts));
        Values values(fetched, set);
        std::vector<PhoneEntry> phones;
        if (random() % 2)
            phones.push_back({std::u16string(pick(texts)), prop::mobile});
        const std::u16string expected = expandTemplate(format, values.get(), phones);
        EXPECT_EQ(ContactTemplate(format).expand(values.get(), phones), expected)
            << "format " << platform::toUtf8(format);
    }
}
