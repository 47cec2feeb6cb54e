#include "contacts/ContactNote.h"

#include "contacts/ContactStoreAccess.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimItem.h"
#include "ui/Button.h"
#include "ui/TextInputControl.h"

#include <algorithm>

namespace vantrel {

using platform::Rect;
namespace pim = platform::pim;

NotePanel::NotePanel(platform::WindowHandle window, ContactStoreAccess& store, uint32_t objectId,
                     std::u16string note)
    : SimpleDialog(window, u"note"), store_(store), objectId_(objectId) {
    field_ = addChild(std::make_unique<TextInputControl>(window, u"note"));
    addAnswerButtons();
    field_->setText(std::move(note));
    // What the field holds after its own limits, so an untouched note compares equal.
    original_ = field_->text();
}

void NotePanel::layout(const Rect& reference) {
    SimpleDialog::layout(reference);
    Rect box = field_->rect();
    for (size_t i = 0; i < childCount(); ++i)
        if (auto* button = dynamic_cast<Button*>(child(i));
            button && !button->rect().intersected(box).isEmpty())
            box.bottom = std::max(box.top, std::min(box.bottom, button->rect().top));
    field_->placeAt(box);
}

void NotePanel::onOk() {
    // A note typed and typed back as it was is no change: nothing is written then.
    const std::u16string text = field_->text();
    if (field_->modified() && text != original_) {
        ContactRecord record;
        record.objectId = objectId_;
        // A contact deleted meanwhile takes nothing; the screen still closes.
        store_.setNote(record, text);
    }
    SimpleDialog::onOk();
}

bool goToContactNote(platform::WindowHandle window, ContactStoreAccess& store, uint32_t objectId) {
    pim::PimApp* app = store.app();
    std::unique_ptr<pim::Item> item = app ? app->getItemFromOidEx(objectId, 0) : nullptr;
    std::vector<pim::PropValue> values;
    const pim::PropId ids[] = {pim::prop::note};
    if (!item || !item->getProps(ids, values) || values.size() != 1)
        return false;
    SimpleDialog::open(std::make_unique<NotePanel>(
        window, store, objectId, values[0].found() ? values[0].text : std::u16string()));
    return true;
}

} // namespace vantrel
