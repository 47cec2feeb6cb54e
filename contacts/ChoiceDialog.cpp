#include "contacts/ChoiceDialog.h"

#include "lists/BaseItem.h"
#include "lists/SmartListControl.h"
#include "ui/Button.h"

namespace vantrel {

namespace {

class PickChoiceAction : public ItemAction {
public:
    explicit PickChoiceAction(ChoiceDialog& dialog) : dialog_(dialog) {}
    void execute(IListItem* item, int, int) override {
        if (auto* choice = dynamic_cast<BaseItem*>(item))
            dialog_.pick(choice->text());
    }

private:
    ChoiceDialog& dialog_;
};

} // namespace

ChoiceDialog::ChoiceDialog(platform::WindowHandle window, std::vector<std::u16string> choices,
                           Picked picked)
    : SimpleDialog(window, u"choices"),
      list_(addChild(std::make_unique<SmartListControl>(window, u"choices.list"))),
      picked_(std::move(picked)) {
    for (std::u16string& choice : choices)
        list_->appendItem(makeItem<SimpleItem>(std::move(choice)));
    list_->setClickAction(std::make_unique<PickChoiceAction>(*this));
    addChild(std::make_unique<Button>(window, u"choices.cancel"))
        ->setAction(std::make_unique<SDCancelAction>(this));
}

void ChoiceDialog::pick(const std::u16string& choice) {
    if (!picked_)
        return;
    // The callback goes first: closing deletes this page once the tap is handled.
    Picked picked = std::exchange(picked_, nullptr);
    picked(choice);
    close();
}

} // namespace vantrel
