#pragma once
// The two background refreshes the system's notifications start: the SMS counts after
// the unread count changed, and the call log after a call. Neither runs twice at once.
// A request while one runs makes it run once more when it ends: a message stored
// after the running scan read the Inbox is then still counted.

#include <functional>

namespace vantrel {

class MessageCounter;

// On "VantrelRefreshSMSCounter": re-reads the unread count and, when it changed, starts
// the SMS refresh (or has the running one go again).
void requestSmsCountRefresh();
// On "VantrelRefreshPhoneCallLog": starts the call-log refresh (or has it go again).
void requestCallLogRefresh();
// The full recount on the SMS refresh's thread, after each full load of the contacts:
// every message and call.
void requestFullRecount();

// At the end of the program: running scans end early and are waited for, and no new
// one starts (what they use goes with the process).
void stopRefreshWorkers();

bool smsRefreshRunning();
bool callLogRefreshRunning();

// What each refresh does off the UI thread before it asks for a repaint. Without one, a
// refresh only repaints.
void setSmsRefreshWork(std::function<void()> work);
void setCallLogRefreshWork(std::function<void()> work);

// The counters of the main contact list, which the refreshes scan for; made on first
// use for the main window and never destroyed (a scan may still run at exit).
MessageCounter& messageCounter();

} // namespace vantrel
