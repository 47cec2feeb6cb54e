#include "contacts/ContactChoices.h"

#include "contacts/ContactListItem.h"
#include "lists/SmartListControl.h"
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// Alphabetical but for five neighbouring pairs the phone always offered the other way
// round; users pick by position, so the order is kept as it was.
constexpr const char16_t* kCountries[] = {
    u"Afghanistan", u"Albania", u"Algeria", u"American Samoa", u"Andorra", u"Angola",
    u"Anguilla", u"Antarctica", u"Antigua and Barbuda", u"Argentina", u"Armenia",
    u"Arctic Ocean", u"Aruba", u"Ascension Island", u"Ashmore and Cartier Islands",
    u"Atlantic Ocean", u"Australia", u"Austria", u"Azerbaijan", u"Bahamas", u"Bahrain",
    u"Baker Island", u"Bangladesh", u"Barbados", u"Bassas da India", u"Belarus", u"Belgium",
    u"Belize", u"Benin", u"Bermuda", u"Bhutan", u"Bolivia", u"Bosnia and Herzegovina",
    u"Botswana", u"Bouvet Island", u"Brazil", u"British Indian Ocean Territory",
    u"British Virgin Islands", u"Brunei", u"Bulgaria", u"Burkina Faso", u"Burundi", u"Cambodia",
    u"Cameroon", u"Canada", u"Cape Verde", u"Cayman Islands", u"Central African Republic",
    u"Chad", u"Chile", u"China", u"Christmas Island", u"Clipperton Island",
    u"Cocos (Keeling) Islands", u"Colombia", u"Comoros", u"Cook Islands", u"Coral Sea Islands",
    u"Costa Rica", u"Cote d'Ivoire", u"Croatia", u"Cuba", u"Cyprus", u"Czech Republic",
    u"Denmark", u"Democratic Republic of the Congo", u"Djibouti", u"Dominica",
    u"Dominican Republic", u"East Timor", u"Ecuador", u"Egypt", u"El Salvador",
    u"Equatorial Guinea", u"Eritrea", u"Estonia", u"Ethiopia", u"Europa Island",
    u"Falkland Islands", u"Faroe Islands", u"Fiji", u"Finland", u"France", u"French Guiana",
    u"French Polynesia", u"French Southern and Antarctic Lands", u"Gabon", u"Gambia",
    u"Georgia", u"Germany", u"Ghana", u"Gibraltar", u"Glorioso Islands", u"Greece",
    u"Greenland", u"Grenada", u"Guadeloupe", u"Guam", u"Guatemala", u"Guernsey", u"Guinea",
    u"Guinea-Bissau", u"Guyana", u"Haiti", u"Heard Island and McDonald Islands", u"Honduras",
    u"Hong Kong SAR", u"Howland Island", u"Hungary", u"Iceland", u"India", u"Indian Ocean",
    u"Indonesia", u"Iran", u"Iraq", u"Ireland", u"Isle of Man", u"Israel", u"Italy", u"Jamaica",
    u"Jan Mayen", u"Japan", u"Jarvis Island", u"Jersey", u"Johnston Atoll", u"Jordan",
    u"Juan de Nova Island", u"Kazakhstan", u"Kenya", u"Kiribati", u"Kerguelen Archipelago",
    u"Kingman Reef", u"Korea", u"Kuwait", u"Kyrgyzstan", u"Laos", u"Latvia", u"Lebanon",
    u"Lesotho", u"Liberia", u"Libya", u"Liechtenstein", u"Lithuania", u"Luxembourg",
    u"Macao SAR", u"Macedonia", u"Madagascar", u"Malawi", u"Malaysia", u"Maldives", u"Mali",
    u"Malta", u"Marshall Islands", u"Martinique", u"Mauritania", u"Mauritius", u"Mayotte",
    u"Mexico", u"Micronesia", u"Midway Islands", u"Moldova", u"Monaco", u"Mongolia",
    u"Montserrat", u"Morocco", u"Mozambique", u"Myanmar", u"Namibia", u"Nauru",
    u"Navassa Island", u"Nepal", u"Netherlands", u"Netherlands Antilles", u"New Caledonia",
    u"New Zealand", u"Nicaragua", u"Niger", u"Nigeria", u"Niue", u"Norfolk Island",
    u"North Korea", u"Northern Mariana Islands", u"Norway", u"Oman", u"Pacific Ocean",
    u"Pakistan", u"Palau", u"Palmyra Atoll", u"Panama", u"Papua New Guinea", u"Paraguay",
    u"Peru", u"Philippines", u"Pitcairn Islands", u"Poland", u"Portugal", u"Puerto Rico",
    u"Qatar", u"Reunion", u"Republic of the Congo", u"Romania", u"Russia", u"Rwanda",
    u"Saint Helena", u"Saint Kitts and Nevis", u"Saint Lucia", u"Saint Pierre and Miquelon",
    u"Saint Vincent and the Grenadines", u"Samoa", u"San Marino", u"Sao Tome and Principe",
    u"Saudi Arabia", u"Senegal", u"Serbia and Montenegro", u"Seychelles", u"Sierra Leone",
    u"Singapore", u"Slovakia", u"Slovenia", u"Solomon Islands", u"Somalia", u"South Africa",
    u"South Georgia and the South Sandwich Islands", u"Southern Ocean", u"Spain",
    u"Spratly Islands", u"Sri Lanka", u"Sudan", u"Suriname", u"Svalbard", u"Swaziland",
    u"Sweden", u"Switzerland", u"Syria", u"Taiwan", u"Tajikistan", u"Tanzania", u"Thailand",
    u"Togo", u"Tokelau", u"Tonga", u"Trinidad and Tobago", u"Tristan da Cunha",
    u"Tromelin Island", u"Tunisia", u"Turkey", u"Turkmenistan", u"Turks and Caicos Islands",
    u"Tuvalu", u"Uganda", u"Ukraine", u"United Arab Emirates", u"United Kingdom", u"USA",
    u"Uruguay", u"Uzbekistan", u"Vanuatu", u"Vatican City", u"Venezuela", u"Vietnam",
    u"Virgin Islands", u"Wake Island", u"Wallis and Futuna", u"Western Sahara", u"Yemen",
    u"Yugoslavia", u"Zambia", u"Zimbabwe ",
};
static_assert(std::size(kCountries) == 268);

bool lessIgnoringCase(const std::u16string& a, const std::u16string& b) {
    UErrorCode status = U_ZERO_ERROR;
    const int order = u_strCaseCompare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                       static_cast<int32_t>(b.size()), U_FOLD_CASE_DEFAULT,
                                       &status);
    return order != 0 ? order < 0 : a < b;
}

std::u16string trimmed(std::u16string_view text) {
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string_view::npos)
        return {};
    return std::u16string(text.substr(first, text.find_last_not_of(u" \t") - first + 1));
}

} // namespace

std::span<const char16_t* const> countryNames() {
    return kCountries;
}

std::vector<std::u16string> distinctContactValues(const SmartListControl& list,
                                                  ContactValue which) {
    std::set<std::u16string> values;
    for (const ItemRef& ref : list.allItems()) {
        const auto* contact = dynamic_cast<const ContactListItem*>(ref.get());
        if (!contact)
            continue;
        const ContactRecord& record = contact->record();
        if (which == ContactValue::company)
            values.insert(trimmed(record.company));
        else if (which == ContactValue::city)
            values.insert(trimmed(record.city));
        else
            for (size_t start = 0; start <= record.categories.size();) {
                size_t comma = record.categories.find(u',', start);
                if (comma == std::u16string::npos)
                    comma = record.categories.size();
                values.insert(trimmed(
                    std::u16string_view(record.categories).substr(start, comma - start)));
                start = comma + 1;
            }
    }
    values.erase(std::u16string());
    std::vector<std::u16string> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end(), lessIgnoringCase);
    return sorted;
}

std::vector<fs::path> ringtoneFolders() {
    std::vector<fs::path> folders;
    if (fs::path data = platform::userDataFolder(); !data.empty())
        folders.push_back(data / "sounds");
    if (fs::path home = platform::homeFolder(); !home.empty())
        folders.push_back(home / "Music");
    folders.push_back(platform::programFolder());
    return folders;
}

std::vector<std::u16string> ringtoneChoices(std::span<const fs::path> folders) {
    // A folder of thousands of songs still lists in bounded time and memory.
    constexpr size_t kMaxChoices = 2000;
    std::vector<std::u16string> choices{u"Default"};
    std::set<std::u16string> seen;
    for (const fs::path& folder : folders) {
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (files.size() >= kMaxChoices)
                break;
            if (it->is_regular_file(error))
                files.push_back(it->path().filename());
        }
        for (const char* extension : {".mp3", ".wma", ".wav", ".mid"})
            for (const fs::path& file : files) {
                // The old phone matched its patterns ignoring case.
                std::string ending = file.extension().string();
                std::transform(ending.begin(), ending.end(), ending.begin(),
                               [](unsigned char c) { return std::tolower(c); });
                if (ending != extension || choices.size() > kMaxChoices)
                    continue;
                std::u16string name = platform::toUtf16(file.string());
                if (seen.insert(name).second)
                    choices.push_back(std::move(name));
            }
    }
    return choices;
}

fs::path ringtoneFile(std::u16string_view choice, std::span<const fs::path> folders) {
    const fs::path name(platform::toUtf8(choice));
    // A choice is a name from a folder's listing; anything with a folder in it is not.
    if (choice.empty() || choice == u"Default" || name != name.filename() || name == "." ||
        name == "..")
        return {};
    for (const fs::path& folder : folders) {
        std::error_code error;
        if (fs::is_regular_file(folder / name, error))
            return folder / name;
    }
    return {};
}

} // namespace vantrel
