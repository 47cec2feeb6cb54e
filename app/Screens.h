#pragma once
// The program's top-level screens, made once by the one-time initialisation and kept
// for the life of the process. Exactly one of the contact container, the contact detail
// and the SMS panel is meant to be visible; the go-to routines move between them.

#include "platform/core/Window.h"

namespace vantrel {

class ContactContainerPanel;
class ContactDetailPanel;
class ContactSmartListControl;
class LightControl;
class Panel;
class SMSPanel;

struct Screens {
    Panel* contactContainer = nullptr; // "contactcontainer", the main screen
    Panel* contactDetail = nullptr;    // "contactdetail"
    Panel* smsPanel = nullptr;         // "smspanel"
    LightControl* gesture = nullptr;   // "gesture", over everything

    ContactContainerPanel* contacts = nullptr; // the same as contactContainer
    ContactDetailPanel* detail = nullptr;      // the same as contactDetail
    SMSPanel* conversation = nullptr;          // the same as smsPanel

    // The container's children that take part in switching; null until their screens
    // provide them.
    LightControl* contactList = nullptr;     // "contactlist"
    LightControl* indexStrip = nullptr;      // "indexcontactsearch"
    LightControl* filterMenu = nullptr;      // "filters"
    LightControl* phonePad = nullptr;        // "phonepad"
};

// Creates the screens for the main window and adds them to its controls: gesture layer,
// contact detail, contact container, SMS panel. Only the first call does anything.
void createScreens(platform::WindowHandle mainWindow);

// Deletes the screens, last made first, once the message loop has ended; the screens
// are null again afterwards.
void releaseScreens();

// The screens; all null before createScreens.
Screens& screens();

// The main screen's contact list; null before createScreens.
ContactSmartListControl* mainContactList();

} // namespace vantrel
