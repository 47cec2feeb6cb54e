#pragma once
// The conversation screen ("smspanel"): the SMS exchanged with one contact (or one
// number that is no contact), merged with its calls, as bubbles in time order above a
// composer with its Send button. It is made once and re-targeted at each opening; a
// loader thread fills the list while the screen already shows (ConversationLoader).
//
// While the screen shows, a 2-second timer refreshes the character counter. Leaving it
// through the header marks the conversation read, except messages whose state the user
// set. The screen's header menu offers the contact's numbers to send to or call, and
// "Del. Conversation"; a tap on a message opens the bubble menu (read or unread, delete,
// delete all, resend), a long press turns its read state over.
//
// Index: opening, the loader's hand-over, what the commands do, the control functions.

#include "contacts/ContactListItem.h"
#include "lists/IListItem.h"
#include "messaging/SMSMessage.h"
#include "ui/Panel.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class Action;
class Button;
class ConversationLoader;
class Image;
class Label;
class PictureControl;
class ProgressBar;
class SmsBubbleItem;
class SmsSender;
class SmsSmartListControl;
class TextInputControl;
struct MenuEntry;

// Where the screen's commands lead outside it; an empty function does nothing.
struct ConversationRoutes {
    // Back to the screen the conversation was opened from.
    std::function<void()> back;
    std::function<void(ContactListItem&)> contactDetail;
    // The page adding a number to a contact.
    std::function<void(const std::u16string& number)> addContact;
    // A call to the number, with the contact's name.
    std::function<void(const std::u16string& number, const std::u16string& name)> call;
    // The program's unread-SMS count changed by `change` (the icon bar's badge).
    std::function<void(int change)> unreadChanged;
    // The contact's picture at the size asked, or null.
    std::function<std::unique_ptr<Image>(ContactListItem&, platform::Size)> picture;
};

class SMSPanel : public Panel {
public:
    // The counter's timer (a fixed id of the program) and its period.
    static constexpr uintptr_t counterTimerId = 655555;
    static constexpr uint32_t counterPeriodMs = 2000;
    // The loader's wake-up (user + 1003): entries wait in its queue.
    static constexpr uint32_t loaderMessage = 0x0400 + 1003;
    // The send worker's wake-up (user + 1004): its result waits.
    static constexpr uint32_t sendMessage = 0x0400 + 1004;

    explicit SMSPanel(platform::WindowHandle window);
    ~SMSPanel() override;

    void setRoutes(ConversationRoutes routes) { routes_ = std::move(routes); }

    // ---- opening ----

    // Re-targets the screen to `contact`, sending to `number`: the editor keeps its text
    // only for the same contact, the list empties and the loader starts for it. The
    // screen switch is the caller's.
    void open(ContactListItem& contact, std::u16string number);
    // A message just received: appended and scrolled to when the screen shows and its
    // contact matches `sender`; otherwise nothing.
    void showIncoming(const std::u16string& sender, SMSMessage message);

    // The send worker's wake-up: the bubble of its result at the end of the list.
    void onSendMessage();
    bool sending() const;

    // The loader's wake-up: its entries go into the list.
    void onLoaderMessage();
    bool loading() const;

    // ---- what the commands do ----

    // Marks the conversation read, then goes back.
    void leave();
    // Every unread message marked read (but those the user set, unless asked); the
    // contact's new calls 0.
    void markConversationRead(bool userChangedToo = false);
    void showContactDetail();
    void addAsContact();
    void call(const std::u16string& number);
    // The editor's text to the current number, on the send worker, with the progress bar
    // running; ignored while a send runs.
    void send();
    void setCurrentNumber(std::u16string number);
    void toggleRead(SmsBubbleItem& bubble);
    void deleteMessage(SmsBubbleItem& bubble);
    void deleteAll();
    void resend(SmsBubbleItem& bubble);
    // The bubble menu "base" over the screen.
    void openBubbleMenu(SmsBubbleItem& bubble);
    std::vector<MenuEntry> bubbleMenuEntries(SmsBubbleItem& bubble);
    // Recomputes the counter from the editor's text; the label changes only when the
    // length changed since the last tick.
    void updateCounter();

    ContactListItem* contact() const;
    const std::u16string& number() const { return number_; }
    SmsSmartListControl* list() const { return list_; }
    TextInputControl* editor() const { return editor_; }
    Label* counter() const { return counter_; }

    // ---- the control functions ----

    void layout(const platform::Rect& reference) override;
    // Showing starts the counter's timer; hiding stops it, hides the editor's window
    // and stops a running load.
    void endScreenChange() override;
    // The background around the list, then the children.
    int paint(PaintContext& context, platform::Rect clip) override;
    // A printable character while the editor is empty starts the text there.
    platform::Rect onKey(int virtualKey, char16_t character) override;
    bool onTimer(uintptr_t id) override;
    // "choosephonenumber", "callnumber", "deleteallsms".
    void addHeaderMenuEntries(std::vector<MenuEntry>& entries) override;
    // contact, number, counter, loading, sending.
    void describe(DumpWriter& out) const override;

private:
    // Appends the newest entry of the conversation and scrolls to it.
    void appendEntry(SMSMessage message);
    // The number as its call button names it ("Mobile - %s"), or the number alone.
    std::u16string numberLabel(const std::u16string& number) const;
    void applyUnreadChange(int change);
    // One menu entry per number of the contact, each running `make(number)`.
    std::vector<MenuEntry>
    numberEntries(const std::function<std::unique_ptr<Action>(const std::u16string&)>& make) const;

    ConversationRoutes routes_;
    ItemRef contact_;
    std::u16string number_;
    Button* addContactButton_;
    Label* counter_;
    Label* numberLabel_;
    PictureControl* picture_;
    ProgressBar* progress_;
    SmsSmartListControl* list_;
    TextInputControl* editor_;
    std::unique_ptr<ConversationLoader> loader_;
    std::unique_ptr<SmsSender> sender_;
    int countedLength_ = -1;
    bool timerRunning_ = false;
};

} // namespace vantrel
