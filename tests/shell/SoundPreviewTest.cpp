// The sound preview on SDL's silent driver, which mixes at the real pace like a sound
// card: a file plays until another replaces it or it is stopped, a short one ends by
// itself, and files that are no sound give none without stopping the next one.

#include "platform/shell/SoundPreview.h"
#include "tests/support/TestFolders.h"
#include "tests/support/ToneFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

using namespace vantrel;
using namespace vantrel::platform::shell;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

SoundPreview& preview() {
    SoundPreview& p = SoundPreview::instance();
    p.setOutput(Output::silent);
    return p;
}

// Real time: the audio thread runs at the pace of the sound.
template <class Condition> bool within(std::chrono::milliseconds limit, Condition condition) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace

TEST(SoundPreview, PlaysAFileUntilAnotherReplacesItOrItIsStopped) {
    const fs::path folder = test::freshFolder("sounds");
    test::writeToneWav(folder / "a.wav", 20);
    test::writeToneWav(folder / "b.WAV", 20, 880);
    SoundPreview& p = preview();

    p.play(folder / "a.wav");
    p.settle();
    ASSERT_EQ(p.state(), PreviewState::playing) << stateName(p.state());
    EXPECT_EQ(p.playing(), folder / "a.wav");
    EXPECT_TRUE(within(5s, [&] { return p.audibleFrames() > 0; })) << "nothing was mixed";

    p.play(folder / "b.WAV");
    p.settle();
    EXPECT_EQ(p.state(), PreviewState::playing) << stateName(p.state());
    EXPECT_EQ(p.playing(), folder / "b.WAV");
    EXPECT_TRUE(within(5s, [&] { return p.audibleFrames() > 0; }));

    p.stop();
    p.settle();
    EXPECT_EQ(p.state(), PreviewState::idle) << stateName(p.state());
    EXPECT_EQ(p.playing(), fs::path());
    // A second stop is harmless.
    p.stop();
    p.settle();
    EXPECT_EQ(p.state(), PreviewState::idle);
}

TEST(SoundPreview, AShortSoundEndsByItself) {
    const fs::path file = test::freshFolder("sounds") / "short.wav";
    test::writeToneWav(file, 0.2);
    SoundPreview& p = preview();
    p.play(file);
    p.settle();
    EXPECT_EQ(p.playing(), file);
    EXPECT_TRUE(within(5s, [&] { return p.state() == PreviewState::finished; }))
        << stateName(p.state());
    EXPECT_EQ(p.playing(), fs::path());
}

TEST(SoundPreview, FilesThatAreNoSoundGiveNoneAndTheNextStillPlays) {
    const fs::path folder = test::freshFolder("sounds");
    std::ofstream(folder / "text.wav") << "no sound in here\n";
    // A WAV header whose format chunk is cut short.
    std::ofstream(folder / "cut.wav", std::ios::binary)
        << std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01", 21);
    std::ofstream(folder / "song.wma") << "WMA is not decoded here";
    ASSERT_EQ(::mkfifo((folder / "pipe.wav").c_str(), 0600), 0);
    fs::create_directory(folder / "folder.wav");
    std::ofstream(folder / "big.wav").close();
    fs::resize_file(folder / "big.wav", SoundPreview::maxFileBytes + 1);
    test::writeToneWav(folder / "good.wav", 20);
    SoundPreview& p = preview();

    const std::pair<const char*, PreviewState> cases[] = {
        {"missing.wav", PreviewState::unreadable}, {"pipe.wav", PreviewState::unreadable},
        {"folder.wav", PreviewState::unreadable},  {"big.wav", PreviewState::tooLarge},
        {"text.wav", PreviewState::notSound},      {"cut.wav", PreviewState::notSound},
        {"song.wma", PreviewState::notSound},
    };
    for (const auto& [name, expected] : cases) {
        p.play(folder / "good.wav");
        p.play(folder / name);
        p.settle();
        EXPECT_EQ(p.state(), expected) << name << ": " << stateName(p.state());
        EXPECT_EQ(p.playing(), fs::path()) << name << " replaced the sound before it";
    }
    p.play(folder / "good.wav");
    p.settle();
    EXPECT_EQ(p.state(), PreviewState::playing) << stateName(p.state());
    EXPECT_TRUE(within(5s, [&] { return p.audibleFrames() > 0; }));
    p.stop();
    p.settle();
}
