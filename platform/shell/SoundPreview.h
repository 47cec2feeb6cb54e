#pragma once
// The shell's sound preview: one sound at a time, started from a file without waiting,
// the way the old phone played a ringtone while the user browsed the list of them.
//
// Callers never wait for a sound card or a decoder: a request only records what is
// wanted. A worker thread of this service reads the file (within a size budget, and
// only a regular file, so a pipe or a device named "*.wav" cannot hold it up) and hands
// it to SDL_mixer, which decodes and mixes on SDL's audio thread. The audio device is
// open only while something plays.
//
// A preview is a nicety: a file that is no sound, too large or broken, and a machine
// without an audio device, give no sound and no error.

#include <cstdint>
#include <filesystem>
#include <memory>

namespace vantrel::platform::shell {

// Where sounds go; chosen before the first play.
enum class Output {
    // SDL's own choice of driver (SDL_AUDIODRIVER, else PulseAudio, ALSA, ...).
    system,
    // SDL's "dummy" driver: mixed at the real pace and dropped. Headless runs have no
    // sound card, and still run every step of a preview.
    silent,
};

// What became of the last request.
enum class PreviewState {
    idle,       // nothing asked for, or stopped
    pending,    // asked for, not yet handled by the worker
    playing,    // on the device now
    finished,   // played to its end
    noDevice,   // no audio device could be opened
    unreadable, // missing, not a regular file, or unreadable
    tooLarge,   // over maxFileBytes
    notSound,   // SDL_mixer knows no sound in it
};

const char* stateName(PreviewState state);

class SoundPreview {
public:
    // A ringtone is short; the whole file is held in memory while it plays.
    static constexpr uintmax_t maxFileBytes = 16u << 20;

    // The process's one preview; its worker starts with the first request.
    static SoundPreview& instance();
    ~SoundPreview();

    // Affects devices opened after the call.
    void setOutput(Output output);
    // Stops what plays and starts `file`. Returns at once.
    void play(std::filesystem::path file);
    // Stops what plays and lets the device go. Returns at once.
    void stop();

    // The file audible now: started on the device, neither stopped nor ended. Empty
    // otherwise.
    std::filesystem::path playing() const;
    PreviewState state() const;
    // Audio frames with sound in them mixed since the current file started: that
    // something is heard, not only that a file was opened.
    uint64_t audibleFrames() const;
    // Blocks until every request made so far has been handled. For tests; the
    // interface thread has no use for it.
    void settle();

private:
    SoundPreview();
    struct Worker;
    std::unique_ptr<Worker> worker_;
};

} // namespace vantrel::platform::shell
