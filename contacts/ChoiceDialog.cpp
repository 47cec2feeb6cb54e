#include "contacts/ChoiceDialog.h"

#include "lists/BaseItem.h"
#include "lists/SmartListControl.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"

namespace vantrel {

namespace {

class PickChoiceAction : public ItemAction {
public:
    explicit PickChoiceAction(ChoiceDialog& dialog) : dialog_(dialog) {}
    void execute(IListItem* item, int, int) override {
        dialog_.tap(dialog_.list()->shownIndexOf(item));
    }

private:
    ChoiceDialog& dialog_;
};

// The choices' list: a row the cursor keys move to is highlighted as a tapped one is.
class ChoiceList : public SmartListControl {
public:
    ChoiceList(platform::WindowHandle window, ChoiceDialog& dialog)
        : SmartListControl(window, u"choices.list"), dialog_(dialog) {}
    void onItemHighlighted(IListItem*) override { dialog_.previewHighlighted(); }

private:
    ChoiceDialog& dialog_;
};

} // namespace

ChoiceDialog::ChoiceDialog(platform::WindowHandle window, std::vector<std::u16string> choices,
                           Picked picked, std::optional<Preview> preview)
    : SimpleDialog(window, u"choices"),
      list_(addChild(std::make_unique<ChoiceList>(window, *this))),
      picked_(std::move(picked)), preview_(std::move(preview)) {
    for (std::u16string& choice : choices)
        list_->appendItem(makeItem<SimpleItem>(std::move(choice)));
    list_->setClickAction(std::make_unique<PickChoiceAction>(*this));
    if (preview_)
        addAnswerButtons(u"choices.ok", u"choices.back");
    else
        addChild(std::make_unique<Button>(window, u"choices.cancel"))
            ->setAction(std::make_unique<SDCancelAction>(this));
}

void ChoiceDialog::tap(int shownIndex) {
    const auto& shown = list_->shownItems();
    if (shownIndex < 0 || shownIndex >= static_cast<int>(shown.size()))
        return;
    auto* choice = dynamic_cast<BaseItem*>(shown[static_cast<size_t>(shownIndex)]);
    if (!choice)
        return;
    if (!preview_) {
        pick(choice->text());
        return;
    }
    list_->setCursorIndex(shownIndex);
    list_->invalidate(list_->rect());
    previewHighlighted();
}

void ChoiceDialog::previewHighlighted() {
    const std::u16string choice = highlighted();
    if (preview_ && preview_->highlight && !choice.empty())
        preview_->highlight(choice);
}

std::u16string ChoiceDialog::highlighted() const {
    const int at = list_->cursorIndex();
    const auto& shown = list_->shownItems();
    if (at < 0 || at >= static_cast<int>(shown.size()))
        return {};
    auto* choice = dynamic_cast<const BaseItem*>(shown[static_cast<size_t>(at)]);
    return choice ? choice->text() : std::u16string();
}

void ChoiceDialog::pick(const std::u16string& choice) {
    if (!picked_)
        return;
    // The callback goes first: closing deletes this page once the tap is handled.
    Picked picked = std::exchange(picked_, nullptr);
    picked(choice);
    finish();
}

void ChoiceDialog::onOk() {
    // Without a preview a tap already took its choice; OK only leaves.
    std::u16string choice = preview_ ? highlighted() : std::u16string();
    if (choice.empty())
        finish();
    else
        pick(choice);
}

void ChoiceDialog::onCancel() {
    finish();
}

void ChoiceDialog::finish() {
    // The preview is not the page's to run after it closed, whichever way it closes.
    if (preview_ && preview_->done)
        std::exchange(preview_->done, nullptr)();
    close();
}

void ChoiceDialog::describe(DumpWriter& out) const {
    SimpleDialog::describe(out);
    out.add("highlighted", std::u16string_view(highlighted()));
}

} // namespace vantrel
