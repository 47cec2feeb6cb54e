#include "platform/shell/SoundPreview.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vantrel::platform::shell {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// How often the worker looks whether the sound has ended; a sound that ended is
// reported no later than this, and the device is let go.
constexpr auto endPoll = 50ms;

// The decoder is picked by the file's extension, as the list of ringtones is; data
// that is not of that kind is refused by its decoder instead of being guessed at.
Mix_MusicType musicTypeOf(const fs::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".wav")
        return MUS_WAV;
    if (extension == ".mp3")
        return MUS_MP3;
    if (extension == ".mid" || extension == ".midi")
        return MUS_MID;
    if (extension == ".ogg")
        return MUS_OGG;
    if (extension == ".flac")
        return MUS_FLAC;
    if (extension == ".opus")
        return MUS_OPUS;
    return MUS_NONE;
}

// Reads a regular file of at most `limit` bytes. Opened without blocking, so a pipe
// given a sound's name is refused instead of waited on.
PreviewState readWhole(const fs::path& file, uintmax_t limit, std::vector<uint8_t>& bytes) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return PreviewState::unreadable;
    struct stat info {};
    PreviewState result = PreviewState::playing;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result = PreviewState::unreadable;
    } else if (static_cast<uintmax_t>(info.st_size) > limit) {
        result = PreviewState::tooLarge;
    } else {
        // A file that shrank meanwhile gives what is left; one that grew, its first bytes.
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result = PreviewState::unreadable;
                break;
            }
            if (n == 0)
                break;
            got += static_cast<size_t>(n);
        }
        bytes.resize(got);
    }
    ::close(fd);
    return result;
}

} // namespace

const char* stateName(PreviewState state) {
    switch (state) {
    case PreviewState::idle:
        return "idle";
    case PreviewState::pending:
        return "pending";
    case PreviewState::playing:
        return "playing";
    case PreviewState::finished:
        return "finished";
    case PreviewState::noDevice:
        return "noDevice";
    case PreviewState::unreadable:
        return "unreadable";
    case PreviewState::tooLarge:
        return "tooLarge";
    case PreviewState::notSound:
        return "notSound";
    }
    return "idle";
}

// NOTE: the worker never holds `mutex` while it calls SDL or SDL_mixer. Those take
// SDL's audio lock, under which the audio thread runs our post-mix callback; holding
// both in two orders would deadlock.
struct SoundPreview::Worker {
    enum class Ask { none, play, stop };

    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable handledChanged;
    Ask ask = Ask::none;
    fs::path askedFile;
    uint64_t requested = 0;
    uint64_t handled = 0;
    bool quit = false;
    PreviewState state = PreviewState::idle;
    fs::path playingFile;
    std::atomic<uint64_t> audible{0};
    std::thread thread;

    // The worker's own.
    bool deviceOpen = false;
    int frameBytes = 4;
    Mix_Music* music = nullptr;
    std::vector<uint8_t> bytes;

    ~Worker() {
        {
            std::lock_guard lock(mutex);
            quit = true;
        }
        wake.notify_all();
        if (thread.joinable())
            thread.join();
    }

    void request(Ask what, fs::path file) {
        {
            std::lock_guard lock(mutex);
            if (!thread.joinable()) {
                if (what == Ask::stop)
                    return;
                thread = std::thread([this] { run(); });
            }
            ask = what;
            askedFile = std::move(file);
            ++requested;
            state = PreviewState::pending;
        }
        wake.notify_all();
    }

    // Runs on SDL's audio thread with every mixed buffer.
    static void countAudible(void* self, Uint8* stream, int length) {
        auto* worker = static_cast<Worker*>(self);
        // The device is 16-bit signed, whose silence is zero.
        if (std::any_of(stream, stream + length, [](Uint8 b) { return b != 0; }))
            worker->audible.fetch_add(static_cast<uint64_t>(length / worker->frameBytes),
                                      std::memory_order_relaxed);
    }

    bool openDevice() {
        if (deviceOpen)
            return true;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, AUDIO_S16SYS, 2, 2048) != 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        Mix_QuerySpec(&frequency, &format, &channels);
        frameBytes = 2 * std::max(channels, 1);
        Mix_SetPostMix(&Worker::countAudible, this);
        deviceOpen = true;
        return true;
    }

    void releaseDevice() {
        if (!deviceOpen)
            return;
        Mix_SetPostMix(nullptr, nullptr);
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        deviceOpen = false;
    }

    void halt() {
        if (music) {
            Mix_HaltMusic();
            Mix_FreeMusic(music);
            music = nullptr;
        }
        std::vector<uint8_t>().swap(bytes);
    }

    PreviewState start(const fs::path& file) {
        halt();
        const Mix_MusicType type = musicTypeOf(file);
        PreviewState read =
            type == MUS_NONE ? PreviewState::notSound : readWhole(file, maxFileBytes, bytes);
        if (read != PreviewState::playing) {
            halt();
            releaseDevice();
            return read;
        }
        if (!openDevice()) {
            halt();
            return PreviewState::noDevice;
        }
        SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        music = source ? Mix_LoadMUSType_RW(source, type, 1) : nullptr;
        audible.store(0);
        if (!music || Mix_PlayMusic(music, 0) != 0) {
            halt();
            releaseDevice();
            return PreviewState::notSound;
        }
        return PreviewState::playing;
    }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            // Leaving wins over a request still waiting: nothing is opened on the way out.
            if (quit)
                break;
            if (ask != Ask::none) {
                const Ask what = std::exchange(ask, Ask::none);
                const fs::path file = std::move(askedFile);
                const uint64_t upTo = requested;
                lock.unlock();
                PreviewState result = PreviewState::idle;
                if (what == Ask::play) {
                    result = start(file);
                } else {
                    halt();
                    releaseDevice();
                }
                lock.lock();
                // A newer request made meanwhile speaks for itself.
                if (ask == Ask::none) {
                    state = result;
                    playingFile = result == PreviewState::playing ? file : fs::path();
                }
                handled = upTo;
                handledChanged.notify_all();
                continue;
            }
            if (state != PreviewState::playing) {
                wake.wait(lock);
                continue;
            }
            wake.wait_for(lock, endPoll);
            if (ask != Ask::none || quit)
                continue;
            lock.unlock();
            const bool ended = Mix_PlayingMusic() == 0;
            if (ended) {
                halt();
                releaseDevice();
            }
            lock.lock();
            if (ended && ask == Ask::none) {
                state = PreviewState::finished;
                playingFile.clear();
            }
        }
        lock.unlock();
        halt();
        releaseDevice();
    }
};

SoundPreview::SoundPreview() : worker_(std::make_unique<Worker>()) {}

SoundPreview::~SoundPreview() = default;

SoundPreview& SoundPreview::instance() {
    static SoundPreview preview;
    return preview;
}

void SoundPreview::setOutput(Output output) {
    // Set here, on the caller's thread at start-up: SDL's hints are not guarded against
    // a change while another thread reads them.
    if (output == Output::silent)
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    else
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
}

void SoundPreview::play(fs::path file) {
    worker_->request(Worker::Ask::play, std::move(file));
}

void SoundPreview::stop() {
    worker_->request(Worker::Ask::stop, {});
}

fs::path SoundPreview::playing() const {
    std::lock_guard lock(worker_->mutex);
    return worker_->playingFile;
}

PreviewState SoundPreview::state() const {
    std::lock_guard lock(worker_->mutex);
    return worker_->state;
}

uint64_t SoundPreview::audibleFrames() const {
    return worker_->audible.load();
}

void SoundPreview::settle() {
    std::unique_lock lock(worker_->mutex);
    worker_->handledChanged.wait(lock, [this] { return worker_->handled == worker_->requested; });
}

} // namespace vantrel::platform::shell
