#include "messaging/SMSPanel.h"

#include "graphics/Image.h"
#include "messaging/ConversationActions.h"
#include "messaging/ConversationLoader.h"
#include "messaging/MessageActions.h"
#include "messaging/SmsBubbleItem.h"
#include "messaging/SmsCharacterCounter.h"
#include "messaging/SmsSend.h"
#include "messaging/SmsSmartListControl.h"
#include "settings/SettingStore.h"
#include "settings/TextFormatter.h"
#include "ui/BorderPanel.h"
#include "ui/Button.h"
#include "ui/ConfirmDialog.h"
#include "ui/ControlDump.h"
#include "ui/HeaderLabel.h"
#include "ui/Label.h"
#include "ui/PictureControl.h"
#include "ui/ProgressBar.h"
#include "ui/TextInputControl.h"

namespace vantrel {

using platform::Rect;

namespace {

template <class A, class... Args> std::unique_ptr<Action> make(Args&&... args) {
    return std::make_unique<A>(std::forward<Args>(args)...);
}

// A letter, digit, punctuation mark or blank: what may start a message.
bool startsText(char16_t c) {
    return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0);
}

} // namespace

SMSPanel::SMSPanel(platform::WindowHandle window)
    : Panel(window, u"smspanel"),
      loader_(std::make_unique<ConversationLoader>(window, loaderMessage)),
      sender_(std::make_unique<SmsSender>(window, sendMessage)) {
    // The back arrow of every page, on the header strip.
    header()
        ->addChild(std::make_unique<HeaderButton>(window, u"backbutton"))
        ->setAction(make<SimpleMoveToBackAction>(this));
    // First the controls drawn over others: the progress covers the editor while a send
    // runs, and the editor lies on its coloured bar.
    addContactButton_ = addChild(std::make_unique<Button>(window, u"addcontactbutton"));
    addContactButton_->setAction(make<AddSmsContactAction>(this));
    addContactButton_->setVisible(false);
    addChild(std::make_unique<Button>(window, u"sendsmsbutton"))
        ->setAction(make<SendSMSAction>(this));
    progress_ = addChild(std::make_unique<ProgressBar>(window, u"smsprogress"));
    progress_->setVisible(false);
    editor_ = addChild(std::make_unique<TextInputControl>(window, u"editsms"));
    addChild(std::make_unique<Label>(window, u"editsms.bg"));
    list_ = addChild(std::make_unique<SmsSmartListControl>(window, this));
    // The counter, the number and the picture lie on the header strip: in front of it.
    counter_ = addChildFront(std::make_unique<Label>(window, u"sms_character_counter"));
    numberLabel_ = addChildFront(std::make_unique<Label>(window, u"sms_phonenumber"));
    picture_ = addChildFront(std::make_unique<PictureControl>(window, u"contactsms"));
    picture_->setAction(make<MoveToContactDetailAction>(this));
}

SMSPanel::~SMSPanel() {
    if (timerRunning_)
        platform::killTimer(window(), counterTimerId);
}

ContactListItem* SMSPanel::contact() const {
    return static_cast<ContactListItem*>(contact_.get());
}

// ---- opening ----

void SMSPanel::open(ContactListItem& contact, std::u16string number) {
    if (contact_.get() != &contact)
        editor_->setText(u"");
    contact_ = ItemRef(&contact);
    number_ = std::move(number);
    const ContactRecord& record = contact.record();
    header()->setText(record.header.empty() ? record.firstLine : record.header);
    numberLabel_->setText(numberLabel(number_));
    list_->removeAllItems();
    list_->setScrollOffset(SmartListControl::endOffset);
    loader_->start(conversationRequest(contact));
    const Rect box = picture_->rect();
    picture_->setImage(routes_.picture ? routes_.picture(contact, {box.width(), box.height()})
                                       : nullptr);
    // A number that is no contact may become one.
    addContactButton_->setVisible(contact.kind() == ContactListItem::Kind::sms && !number_.empty());
    countedLength_ = -1;
    updateCounter();
    invalidate(rect());
}

void SMSPanel::showIncoming(const std::u16string& sender, SMSMessage message) {
    ContactListItem* shown = contact();
    if (!isVisible() || !shown || !shown->matchesNumber(sender))
        return;
    appendEntry(std::move(message));
}

void SMSPanel::appendEntry(SMSMessage message) {
    message.contact = contact_;
    list_->appendAtEnd(makeItem<SmsBubbleItem>(std::move(message)));
}

void SMSPanel::onLoaderMessage() {
    std::vector<SMSMessage> entries = loader_->take();
    for (SMSMessage& entry : entries) {
        // A message that arrived while the load ran may be shown already.
        bool shown = false;
        for (const ItemRef& item : list_->allItems()) {
            const SMSMessage& other = static_cast<const SmsBubbleItem*>(item.get())->message();
            shown = shown || (!entry.isCall && !other.isCall && entry.row.rowId != 0 &&
                              other.row.rowId == entry.row.rowId);
        }
        if (shown)
            continue;
        entry.contact = contact_;
        list_->addItem(makeItem<SmsBubbleItem>(std::move(entry)));
    }
    list_->invalidate(list_->rect());
}

bool SMSPanel::loading() const {
    return loader_->loading();
}

// ---- what the commands do ----

void SMSPanel::leave() {
    markConversationRead();
    if (routes_.back)
        routes_.back();
}

void SMSPanel::markConversationRead(bool userChangedToo) {
    int change = 0;
    for (const ItemRef& item : list_->allItems()) {
        auto* bubble = static_cast<SmsBubbleItem*>(item.get());
        SMSMessage& message = bubble->message();
        if (message.read || (message.userChanged && !userChangedToo))
            continue;
        change += setMessageRead(message, true);
        bubble->markStale();
    }
    if (ContactListItem* shown = contact())
        shown->counters().newCalls = 0;
    list_->resetContentHeight();
    applyUnreadChange(change);
    list_->invalidate(list_->rect());
}

void SMSPanel::showContactDetail() {
    ContactListItem* shown = contact();
    if (shown && shown->kind() == ContactListItem::Kind::contact && routes_.contactDetail)
        routes_.contactDetail(*shown);
}

void SMSPanel::addAsContact() {
    if (!number_.empty() && routes_.addContact)
        routes_.addContact(number_);
}

void SMSPanel::call(const std::u16string& number) {
    ContactListItem* shown = contact();
    if (routes_.call)
        routes_.call(number, shown ? shown->record().firstLine : std::u16string());
}

void SMSPanel::send() {
    ContactListItem* shown = contact();
    // A second Send while one runs would send the same text twice.
    if (!shown || sender_->busy())
        return;
    SmsSendRequest request;
    request.number = number_;
    request.text = editor_->text();
    request.name = shown->record().firstLine;
    // In the scope of the contact's list, as every text of its rows.
    const SmartListControl* rows = shown->list();
    request.failedText = SettingStore::instance().text(
        rows ? std::u16string_view(rows->typeName()) : u"contactlist",
        rows ? std::u16string_view(rows->name()) : u"contactlist", u"sms.failed");
    if (!sender_->start(std::move(request)))
        return;
    progress_->start();
    // The editor gives the focus back, so its keyboard goes while the send runs.
    platform::setFocus(window());
}

void SMSPanel::onSendMessage() {
    std::optional<SmsSendResult> result = sender_->takeResult();
    if (!result)
        return;
    if (result->serviceUnavailable)
        platform::messageBox(window(), smsServiceUnavailableText, smsServiceUnavailableCaption);
    const bool failed = result->message.failed;
    markConversationRead(true);
    appendEntry(std::move(result->message));
    // A failed text stays, to be sent again.
    if (!failed) {
        editor_->setText(u"");
        countedLength_ = -1;
        updateCounter();
    }
    progress_->finish();
    invalidate(rect());
}

bool SMSPanel::sending() const {
    return sender_->busy();
}

void SMSPanel::setCurrentNumber(std::u16string number) {
    if (number == number_)
        return;
    number_ = std::move(number);
    numberLabel_->setText(numberLabel(number_));
    invalidate(rect());
}

void SMSPanel::toggleRead(SmsBubbleItem& bubble) {
    SMSMessage& message = bubble.message();
    if (message.isCall)
        return;
    applyUnreadChange(setMessageRead(message, !message.read));
    list_->remeasure(bubble);
}

void SMSPanel::deleteMessage(SmsBubbleItem& bubble) {
    int change = 0;
    // The bubble goes only when the store let the message go.
    if (vantrel::deleteMessage(bubble.message(), change))
        list_->removeBubble(bubble);
    applyUnreadChange(change);
}

void SMSPanel::deleteAll() {
    int change = 0;
    std::vector<SmsBubbleItem*> gone;
    for (const ItemRef& item : list_->allItems()) {
        auto* bubble = static_cast<SmsBubbleItem*>(item.get());
        int one = 0;
        // Calls have nothing to delete in the store and leave the view with the rest;
        // a message the store kept stays in view.
        if (bubble->message().isCall || vantrel::deleteMessage(bubble->message(), one))
            gone.push_back(bubble);
        change += one;
    }
    for (SmsBubbleItem* bubble : gone)
        list_->removeBubble(*bubble);
    applyUnreadChange(change);
}

void SMSPanel::resend(SmsBubbleItem& bubble) {
    editor_->setText(bubble.message().text);
    countedLength_ = -1;
    updateCounter();
    invalidate(editor_->rect());
}

void SMSPanel::openBubbleMenu(SmsBubbleItem& bubble) {
    showMenu(this, u"base", bubbleMenuEntries(bubble));
}

std::vector<MenuEntry> SMSPanel::bubbleMenuEntries(SmsBubbleItem& bubble) {
    std::vector<MenuEntry> entries;
    auto entry = [&entries](std::u16string name, std::unique_ptr<Action> action) {
        entries.push_back({std::move(name), std::move(action), false, {}, {}});
    };
    entry(bubble.message().read ? u"markasunread" : u"markasread",
          std::make_unique<SmsToggleReadAction>(this, bubble));
    entry(u"deletesms", std::make_unique<SmsDeleteAction>(this, bubble));
    entry(u"deleteallsms", std::make_unique<ConfirmAction>(window(), u"delete.all.sms", [this] {
              return make<SmsDeleteAllAction>(this);
          }));
    entry(u"resend", std::make_unique<SmsResendAction>(this, bubble));
    entry(u"cancel", nullptr);
    return entries;
}

void SMSPanel::updateCounter() {
    const std::u16string text = editor_->text();
    if (static_cast<int>(text.size()) == countedLength_)
        return;
    countedLength_ = static_cast<int>(text.size());
    counter_->setText(smsCounterText(text));
}

std::u16string SMSPanel::numberLabel(const std::u16string& number) const {
    if (const ContactListItem* shown = contact())
        for (const PhoneEntry& phone : shown->record().phones) {
            const std::u16string_view type = phoneTypeName(phone.propertyId);
            if (phone.number != number || type == u"%s")
                continue;
            return formatText(
                SettingStore::instance().text(u"button", u"call." + std::u16string(type), u"text"),
                {number});
        }
    return number;
}

void SMSPanel::applyUnreadChange(int change) {
    if (change != 0 && routes_.unreadChanged)
        routes_.unreadChanged(change);
}

std::vector<MenuEntry> SMSPanel::numberEntries(
    const std::function<std::unique_ptr<Action>(const std::u16string&)>& make) const {
    std::vector<MenuEntry> entries;
    if (const ContactListItem* shown = contact())
        for (const PhoneEntry& phone : shown->record().phones)
            entries.push_back(
                {u"phonenumber", make(phone.number), false, {}, numberLabel(phone.number)});
    return entries;
}

// ---- the control functions ----

void SMSPanel::layout(const Rect& reference) {
    Panel::layout(reference);
    // The labels read their setting texts again; the conversation's own go back in.
    numberLabel_->setText(numberLabel(number_));
    countedLength_ = -1;
    updateCounter();
}

void SMSPanel::endScreenChange() {
    Panel::endScreenChange();
    if (isVisible()) {
        if (!timerRunning_)
            platform::setTimer(window(), counterTimerId, counterPeriodMs);
        timerRunning_ = true;
        return;
    }
    if (timerRunning_)
        platform::killTimer(window(), counterTimerId);
    timerRunning_ = false;
    editor_->showNative(false);
    // A hidden screen loads nothing.
    loader_->stop();
}

int SMSPanel::paint(PaintContext& context, Rect clip) {
    // The list draws its own background: around it only.
    const Rect r = rect();
    const Rect l = list_->isVisible() ? list_->rect().intersected(r) : Rect{};
    const Background& background = getBackground(u"background", 0);
    if (l.isEmpty()) {
        drawBackground(context, background, r, clip);
    } else {
        for (const Rect& band :
             {Rect{r.left, r.top, r.right, l.top}, Rect{r.left, l.bottom, r.right, r.bottom},
              Rect{r.left, l.top, l.left, l.bottom}, Rect{l.right, l.top, r.right, l.bottom}})
            drawBackground(context, background, r, clip.intersected(band));
    }
    return ContainerPanel::paint(context, clip);
}

Rect SMSPanel::onKey(int virtualKey, char16_t character) {
    if (isVisible() && virtualKey == 0 && startsText(character) && editor_->text().empty() &&
        editor_->nativeEdit() && platform::focusWindow() != editor_->nativeEdit()) {
        editor_->setText(std::u16string(1, character));
        editor_->showNative(true);
        platform::setFocus(editor_->nativeEdit());
        countedLength_ = -1;
        updateCounter();
        return editor_->rect();
    }
    return Panel::onKey(virtualKey, character);
}

bool SMSPanel::onTimer(uintptr_t id) {
    if (id == counterTimerId) {
        updateCounter();
        return true;
    }
    return Panel::onTimer(id);
}

void SMSPanel::addHeaderMenuEntries(std::vector<MenuEntry>& entries) {
    entries.push_back({u"choosephonenumber",
                       nullptr,
                       false,
                       numberEntries([this](const std::u16string& number) {
                           return make<ChangeCurrentPhoneNumberAction>(this, number);
                       }),
                       {}});
    entries.push_back({u"callnumber",
                       nullptr,
                       false,
                       numberEntries([this](const std::u16string& number) {
                           return make<CallNumberAction>(this, number);
                       }),
                       {}});
    entries.push_back(
        {u"deleteallsms",
         std::make_unique<ConfirmAction>(window(), u"delete.all.sms",
                                         [this] { return make<SmsDeleteAllAction>(this); }),
         false,
         {},
         {}});
}

void SMSPanel::describe(DumpWriter& out) const {
    Panel::describe(out);
    const ContactListItem* shown = contact();
    out.add("contact", shown ? std::u16string_view(shown->record().firstLine) : u"");
    out.add("objectId", DumpValue(shown ? static_cast<int64_t>(shown->objectId()) : int64_t(-1)));
    out.add("number", std::u16string_view(number_));
    out.add("counter", std::u16string_view(counter_->text()));
    out.add("loading", loading());
    out.add("sending", sending());
}

} // namespace vantrel
