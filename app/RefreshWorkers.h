#pragma once
// The two background refreshes the system's notifications start: the SMS counts after
// the unread count changed, and the call log after a call. Neither runs twice at once;
// a request while one runs is dropped.

#include <functional>

namespace vantrel {

// On "VantrelRefreshSMSCounter": re-reads the unread count and, when it changed and no
// SMS refresh runs, starts one.
void requestSmsCountRefresh();
// On "VantrelRefreshPhoneCallLog": starts the call-log refresh unless it runs.
void requestCallLogRefresh();

bool smsRefreshRunning();
bool callLogRefreshRunning();

// What each refresh does off the UI thread before it asks for a repaint; the contact
// list provides them. Without one, a refresh only repaints.
void setSmsRefreshWork(std::function<void()> work);
void setCallLogRefreshWork(std::function<void()> work);

} // namespace vantrel
