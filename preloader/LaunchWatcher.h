#pragma once
// The watcher thread: once a second it takes the launch mutex the browser shares, and
// when no preloaded browser holds "_BRISA9_PRELOADED_MUTEX_" and no browser window of
// class "Brisa_MainWndClass" exists, it starts the browser held, prepares the loaded
// event, lets the browser go and waits for that event before giving the mutex back.

namespace vantrel::preloader {

struct LaunchRecord;

// Runs for the life of the process; returns early only when the record is missing or
// the launch mutex cannot be had (the reason then goes to standard error).
int watchLaunches(const LaunchRecord* record);

} // namespace vantrel::preloader
