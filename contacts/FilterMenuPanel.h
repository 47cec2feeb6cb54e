#pragma once
// The filter menu, shown in place of the contact list: "Favorite Contacts", "All
// Contacts", "Contacts with SMS", then the folders "By Company...", "By City..." and
// "By Category...", which slide in a second level listing the distinct values found
// in the main list, and a "Go to Options..." button after them. Choosing an entry sets its filter
// on the main list and goes back to it. Entries are made afresh at every opening and
// level change; nothing persists between openings.
//
// Index: the entries, the menu panel, the actions.

#include "lists/BaseItem.h"
#include "lists/SmartListControl.h"
#include "ui/Action.h"
#include "ui/ContainerPanel.h"

#include <functional>
#include <memory>

namespace vantrel {

class ContactListItem;
class ContactSmartListControl;
class FilterMenuPanel;
class LeftSearchPanel;

// ---- the entries ----

// A row of the menu: its display text in the list's "item.font" and "item.text.box",
// the value it stands for (a company, a city or a category; empty for the others)
// and a marker ("INIT" on the first root entry).
class FilterBase : public SimpleItem {
public:
    FilterBase(std::u16string text, std::u16string value, std::u16string marker = {})
        : SimpleItem(std::move(text)), value_(std::move(value)), marker_(std::move(marker)) {}
    // What a tap on the row does in the menu.
    virtual void choose(FilterMenuPanel& menu) = 0;
    const std::u16string& value() const { return value_; }
    const std::u16string& marker() const { return marker_; }
    void describe(DumpWriter& out) const override;

private:
    std::u16string value_;
    std::u16string marker_;
};

// An entry that sets a filter.
class FilterChoice : public FilterBase {
public:
    using FilterBase::FilterBase;
    virtual std::unique_ptr<ISmartListFilter> makeFilter() const = 0;
    void choose(FilterMenuPanel& menu) override;
};

class AllFilterChoice : public FilterChoice {
public:
    using FilterChoice::FilterChoice;
    std::unique_ptr<ISmartListFilter> makeFilter() const override;
};

class FavoriteFilterChoice : public FilterChoice {
public:
    using FilterChoice::FilterChoice;
    std::unique_ptr<ISmartListFilter> makeFilter() const override;
};

class SmsFilterChoice : public FilterChoice {
public:
    using FilterChoice::FilterChoice;
    std::unique_ptr<ISmartListFilter> makeFilter() const override;
};

class CompanyFilterChoice : public FilterChoice {
public:
    using FilterChoice::FilterChoice;
    std::unique_ptr<ISmartListFilter> makeFilter() const override;
};

class CityFilterChoice : public FilterChoice {
public:
    using FilterChoice::FilterChoice;
    std::unique_ptr<ISmartListFilter> makeFilter() const override;
};

class CategoryFilterChoice : public FilterChoice {
public:
    using FilterChoice::FilterChoice;
    std::unique_ptr<ISmartListFilter> makeFilter() const override;
};

// An entry that opens a level of choices, one per distinct value in the main list,
// the empty value always among them.
class FilterFolder : public FilterBase {
public:
    using FilterBase::FilterBase;
    void choose(FilterMenuPanel& menu) override;
    // The level's entries, sorted by display text ignoring case.
    std::vector<ItemRef> fill(const ContactSmartListControl& contacts) const;
    // The level's name for scripts ("company").
    virtual std::u16string_view level() const = 0;

protected:
    // The values one contact contributes.
    virtual void valuesOf(const ContactListItem& contact,
                          std::vector<std::u16string>& values) const = 0;
    virtual ItemRef makeChoice(std::u16string text, std::u16string value) const = 0;
    // The interface text naming the empty value.
    virtual std::u16string_view noValueKey() const { return u"filter.nocategory.text"; }
};

class CompanyFilterFolder : public FilterFolder {
public:
    using FilterFolder::FilterFolder;
    std::u16string_view level() const override { return u"company"; }

protected:
    void valuesOf(const ContactListItem& contact,
                  std::vector<std::u16string>& values) const override;
    ItemRef makeChoice(std::u16string text, std::u16string value) const override;
};

class CityFilterFolder : public FilterFolder {
public:
    using FilterFolder::FilterFolder;
    std::u16string_view level() const override { return u"city"; }

protected:
    void valuesOf(const ContactListItem& contact,
                  std::vector<std::u16string>& values) const override;
    ItemRef makeChoice(std::u16string text, std::u16string value) const override;
    std::u16string_view noValueKey() const override { return u"filter.nocity.text"; }
};

// Categories are a comma-separated text: each part, trimmed, is a value.
class CategoryFilterFolder : public FilterFolder {
public:
    using FilterFolder::FilterFolder;
    std::u16string_view level() const override { return u"category"; }

protected:
    void valuesOf(const ContactListItem& contact,
                  std::vector<std::u16string>& values) const override;
    ItemRef makeChoice(std::u16string text, std::u16string value) const override;
};

// ---- the menu panel ----

// The menu's list ("filterlist"): a tap chooses the entry.
class FilterSmartListControl : public SmartListControl {
public:
    FilterSmartListControl(platform::WindowHandle window, FilterMenuPanel& menu);
};

// Where the menu leads; the program's screens fill these in.
struct FilterMenuRoutes {
    // Back to the contact list after a choice (the list is marked visible already).
    std::function<void()> backToList;
    // "Go to Options...".
    std::function<void()> openOptions;
};

class FilterMenuPanel : public ContainerPanel {
public:
    FilterMenuPanel(platform::WindowHandle window, ContactSmartListControl& contacts,
                    FilterMenuRoutes routes, std::u16string name = u"filters");
    // The strip goes before the list it serves.
    ~FilterMenuPanel() override;

    // The six root entries.
    void showRoot();
    // A folder's level, slid in from the side.
    void openFolder(const FilterFolder& folder);
    // Sets the filter on the main list and returns to it.
    void choose(std::unique_ptr<ISmartListFilter> filter);
    bool atRoot() const { return level_.empty(); }
    void describe(DumpWriter& out) const override;

    FilterSmartListControl* list() const { return list_; }
    ContactSmartListControl& contacts() const { return contacts_; }
    const FilterMenuRoutes& routes() const { return routes_; }

private:
    void setEntries(std::vector<ItemRef> entries);

    ContactSmartListControl& contacts_;
    FilterMenuRoutes routes_;
    FilterSmartListControl* list_;
    LeftSearchPanel* strip_;
    // Empty at the root, else the folder's level name.
    std::u16string level_;
};

// ---- the actions ----

// Opens the menu in place of the list, or, inside a folder, back to the root, or at
// the root closes it again.
class FilterMenuAction : public Action {
public:
    FilterMenuAction(FilterMenuPanel& menu, LightControl& list) : menu_(menu), list_(list) {}
    void execute() override;

private:
    FilterMenuPanel& menu_;
    LightControl& list_;
};

// "Go to Options...".
class FilterOptionsMenuAction : public Action {
public:
    explicit FilterOptionsMenuAction(FilterMenuPanel& menu) : menu_(menu) {}
    void execute() override;

private:
    FilterMenuPanel& menu_;
};

} // namespace vantrel
