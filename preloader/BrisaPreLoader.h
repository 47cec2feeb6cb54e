#pragma once
// BrisaPreLoader keeps the browser "Brisa9.exe" of its own folder started ahead of need,
// so that it opens fast when the user asks for it. It shows nothing: one never-shown
// window marks the running instance, and a watcher thread (LaunchWatcher.h) starts the
// browser whenever no preloaded or opened one exists.

#include <filesystem>
#include <string>
#include <thread>

namespace vantrel::preloader {

// What start-up, the window procedure and the watcher share, for the life of the process:
// the browser's path is written before the window (and so the watcher) exists; the
// watcher is started and let go by the window.
struct LaunchRecord {
    std::thread watcher;
    std::filesystem::path path;
};

// The old platform's error codes, kept as the program's exit codes.
constexpr int errorInvalidData = 13;
constexpr int errorOutOfMemory = 14;

// Runs the preloader to its end and returns the exit code: 0 at a normal end or when
// another preloader already runs, an errno when the program's own path cannot be read,
// errorOutOfMemory when the window cannot be made.
int runPreloader();

// The browser beside `modulePath`. errorOutOfMemory when the path names no folder.
int browserPathFor(const std::string& modulePath, std::filesystem::path& browser);

} // namespace vantrel::preloader
