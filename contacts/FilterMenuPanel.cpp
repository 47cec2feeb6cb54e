#include "contacts/FilterMenuPanel.h"

#include "contacts/ContactFilters.h"
#include "contacts/ContactSmartListControl.h"
#include "lists/ControlItem.h"
#include "lists/LeftSearchPanel.h"
#include "lists/Transitions.h"
#include "settings/SettingStore.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"

#include <algorithm>
#include <set>

namespace vantrel {

using platform::Rect;

namespace {

std::u16string interfaceText(std::u16string_view key) {
    return SettingStore::instance().globalText(key);
}

std::u16string_view trimmed(std::u16string_view text) {
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

class ChooseEntryAction : public ItemAction {
public:
    explicit ChooseEntryAction(FilterMenuPanel& menu) : menu_(menu) {}
    void execute(IListItem* item, int, int) override {
        if (auto* entry = dynamic_cast<FilterBase*>(item))
            entry->choose(menu_);
    }

private:
    FilterMenuPanel& menu_;
};

// The rectangle the menu opens out of: the middle half of the screen's width at the
// list's top.
Rect menuSource(const LightControl& list) {
    const Rect client = platform::clientRect(list.window());
    const int top = list.rect().top;
    return {client.width() / 4, top, client.width() * 3 / 4, top + 1};
}

} // namespace

// ---- the entries ----

void FilterBase::describe(DumpWriter& out) const {
    SimpleItem::describe(out);
    if (!value().empty())
        out.add("value", std::u16string_view(value_));
}

void FilterChoice::choose(FilterMenuPanel& menu) {
    menu.choose(makeFilter());
}

std::unique_ptr<ISmartListFilter> AllFilterChoice::makeFilter() const {
    return std::make_unique<AllContactsFilterItem>();
}

std::unique_ptr<ISmartListFilter> FavoriteFilterChoice::makeFilter() const {
    return std::make_unique<FavoriteFilterItem>();
}

std::unique_ptr<ISmartListFilter> SmsFilterChoice::makeFilter() const {
    return std::make_unique<SmsFilterItem>();
}

std::unique_ptr<ISmartListFilter> CompanyFilterChoice::makeFilter() const {
    return std::make_unique<CompanyFilterItem>(value());
}

std::unique_ptr<ISmartListFilter> CityFilterChoice::makeFilter() const {
    return std::make_unique<CityFilterItem>(value());
}

std::unique_ptr<ISmartListFilter> CategoryFilterChoice::makeFilter() const {
    return std::make_unique<CategoryFilterItem>(value());
}

void FilterFolder::choose(FilterMenuPanel& menu) {
    menu.openFolder(*this);
}

std::vector<ItemRef> FilterFolder::fill(const ContactSmartListControl& contacts) const {
    // Values compare exactly: two companies differing only in case are two entries.
    std::set<std::u16string> values{std::u16string()};
    std::vector<std::u16string> found;
    for (const ItemRef& ref : contacts.allItems()) {
        const ContactListItem* contact = asContact(ref.get());
        if (!contact)
            continue;
        found.clear();
        valuesOf(*contact, found);
        values.insert(found.begin(), found.end());
    }
    struct Entry {
        std::u16string text;
        std::u16string key;
        ItemRef item;
    };
    std::vector<Entry> entries;
    for (const std::u16string& value : values) {
        std::u16string text = value.empty() ? interfaceText(noValueKey()) : value;
        std::u16string key = lowerCased(text);
        entries.push_back({text, std::move(key), makeChoice(text, value)});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    std::vector<ItemRef> items;
    for (Entry& entry : entries)
        items.push_back(std::move(entry.item));
    return items;
}

void CompanyFilterFolder::valuesOf(const ContactListItem& contact,
                                   std::vector<std::u16string>& values) const {
    values.push_back(contact.record().company);
}

ItemRef CompanyFilterFolder::makeChoice(std::u16string text, std::u16string value) const {
    return makeItem<CompanyFilterChoice>(std::move(text), std::move(value));
}

void CityFilterFolder::valuesOf(const ContactListItem& contact,
                                std::vector<std::u16string>& values) const {
    values.push_back(contact.record().city);
}

ItemRef CityFilterFolder::makeChoice(std::u16string text, std::u16string value) const {
    return makeItem<CityFilterChoice>(std::move(text), std::move(value));
}

void CategoryFilterFolder::valuesOf(const ContactListItem& contact,
                                    std::vector<std::u16string>& values) const {
    std::u16string_view categories = contact.record().categories;
    size_t from = 0;
    while (from <= categories.size()) {
        size_t comma = categories.find(u',', from);
        values.emplace_back(trimmed(categories.substr(from, comma - from)));
        if (comma == std::u16string_view::npos)
            break;
        from = comma + 1;
    }
}

ItemRef CategoryFilterFolder::makeChoice(std::u16string text, std::u16string value) const {
    return makeItem<CategoryFilterChoice>(std::move(text), std::move(value));
}

// ---- the menu panel ----

FilterSmartListControl::FilterSmartListControl(platform::WindowHandle window, FilterMenuPanel& menu)
    : SmartListControl(window, u"filterlist") {
    setClickAction(std::make_unique<ChooseEntryAction>(menu));
}

FilterMenuPanel::FilterMenuPanel(platform::WindowHandle window, ContactSmartListControl& contacts,
                                 FilterMenuRoutes routes, std::u16string name)
    : ContainerPanel(window, u"filtermenupanel", std::move(name)), contacts_(contacts),
      routes_(std::move(routes)) {
    list_ = addChild(std::make_unique<FilterSmartListControl>(window, *this));
    strip_ = addChild(std::make_unique<LeftSearchPanel>(window, u"indexfiltersearch", *list_));
}

FilterMenuPanel::~FilterMenuPanel() {
    removeChild(strip_);
}

void FilterMenuPanel::setEntries(std::vector<ItemRef> entries) {
    list_->removeAllItems();
    for (ItemRef& entry : entries)
        list_->appendItem(std::move(entry));
    list_->scrollToTop();
}

void FilterMenuPanel::showRoot() {
    std::vector<ItemRef> entries;
    entries.push_back(
        makeItem<FavoriteFilterChoice>(interfaceText(u"filter.byfavorite.text"), u"", u"INIT"));
    entries.push_back(makeItem<AllFilterChoice>(interfaceText(u"filter.byall.text"), u""));
    entries.push_back(makeItem<SmsFilterChoice>(interfaceText(u"filter.bysms.text"), u""));
    entries.push_back(makeItem<CompanyFilterFolder>(interfaceText(u"filter.bycompany.text"), u""));
    entries.push_back(makeItem<CityFilterFolder>(interfaceText(u"filter.bycity.text"), u""));
    entries.push_back(
        makeItem<CategoryFilterFolder>(interfaceText(u"filter.bycategory.text"), u""));
    // "Go to Options..." follows the entries as a row of its own, so it scrolls with
    // them and needs no place of its own on the screen.
    auto options = std::make_unique<Button>(window(), u"filter.option");
    options->setAction(std::make_unique<FilterOptionsMenuAction>(*this));
    entries.push_back(makeItem<ControlItem>(std::move(options)));
    setEntries(std::move(entries));
    level_.clear();
}

void FilterMenuPanel::openFolder(const FilterFolder& folder) {
    platform::updateWindow(window());
    std::u16string level(folder.level());
    // The folder row goes with the old level; what it made lives on in the list.
    setEntries(folder.fill(contacts_));
    level_ = std::move(level);
    slideTransition(window(), 0, list_->rect());
}

void FilterMenuPanel::choose(std::unique_ptr<ISmartListFilter> filter) {
    platform::updateWindow(window());
    contacts_.setFilter(std::move(filter));
    contacts_.setVisible(true);
    if (routes_.backToList)
        routes_.backToList();
}

void FilterMenuPanel::describe(DumpWriter& out) const {
    ContainerPanel::describe(out);
    out.add("level", level_.empty() ? std::u16string_view(u"root") : std::u16string_view(level_));
}

// ---- the actions ----

void FilterMenuAction::execute() {
    platform::WindowHandle window = menu_.window();
    if (!menu_.isVisible()) {
        menu_.showRoot();
        menu_.setVisible(true);
        list_.setVisible(false);
        genieTransition(window, menuSource(list_));
    } else if (menu_.atRoot()) {
        menu_.setVisible(false);
        list_.setVisible(true);
        reverseGenieTransition(window, menuSource(list_));
    } else {
        menu_.showRoot();
        slideTransition(window, 1, menu_.list()->rect());
    }
}

void FilterOptionsMenuAction::execute() {
    if (menu_.routes().openOptions)
        menu_.routes().openOptions();
}

} // namespace vantrel
