#pragma once
// Moving between the top-level screens. There is no stack: each screen has a visible
// flag, and these routines set the flags of all of them at once, then show the result
// with a transition or a full render.

#include <cstdint>
#include <string>

namespace vantrel {

class ContactListItem;
struct ContactRoutes;
struct ContactDetailRoutes;
struct ConversationRoutes;

// Makes the contact container the visible screen with its contact list shown.
void goToContacts(bool animate);
// The way the contact list slides in when it comes back: 0 (from the right) while it
// shows a filter's contacts, 1 (from the left) while it shows them all.
int contactListSlideDirection();
// The contact list filtered to contacts with SMS (or back to all contacts when
// toggling and the SMS filter is already set), then the contacts, animated.
void goToSmsList(bool toggle);
// The same with the favourites filter.
void goToFavorites(bool toggle);
// Slides the main screen's phone pad in when hidden, out when shown.
void toggleDialpad();
// The contacts without animation, then the phone pad toggled.
void goToDialpad();

// The contact detail screen for a contact, with the card swap.
void goToContactDetail(ContactListItem& contact);
// The conversation screen for a number and the contact it belongs to; without a
// contact (a typed number) a row of its own stands for the number.
void goToConversation(ContactListItem* contact, const std::u16string& number);
// Back from the conversation to the screen it was opened from.
void goBackFromConversation();
// The dialer with `number` to check or change before calling it, over the main screen;
// a contact without numbers opens nothing. `contact` is null for a typed number.
void goToDialer(const ContactListItem* contact, const std::u16string& number);
// The contact editor over the current screen, for a stored contact or a new one; the
// main list's contacts give its choices. False when the contact cannot be read or made.
bool goToEditContact(uint32_t objectId);
bool goToNewContact();
// The page adding a number to a new or an existing contact.
bool goToAddContact(const std::u16string& number);
// Where the contact list's taps and number entries lead.
ContactRoutes contactRoutes();
// Where the contact detail screen's commands lead.
ContactDetailRoutes contactDetailRoutes();
// Where the conversation screen's commands lead.
ConversationRoutes conversationRoutes();

} // namespace vantrel
