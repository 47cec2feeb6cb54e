// The list host program driven by scripts, as a user's finger would: fling, bounce,
// jump by letter from the strip, and a screenshot.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantrel {
namespace {

class ListHost : public testing::Test {
protected:
    // Runs the script and returns the numbers it printed with "print offset".
    std::vector<long> run(const std::string& script, test::ProcessResult* result = nullptr) {
        std::filesystem::path file = folder / "script.txt";
        std::ofstream(file) << script;
        test::ProcessResult r = test::runProcess(
            {(test::binaryFolder() / "tests" / "lists" / "host" / "list_host").string(),
             "--headless", "--script", file.string()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::vector<long> offsets;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("offset ", 0) == 0)
                offsets.push_back(std::stol(line.substr(7)));
        if (result)
            *result = r;
        return offsets;
    }

    std::filesystem::path folder = test::freshFolder("listhost");
};

TEST_F(ListHost, AFlingSlidesOnAfterTheFingerLiftsAndComesToRest) {
    auto offsets = run("drag 240 700 240 300 100\n"
                       "print offset $offset\n"
                       "wait 100\n"
                       "print offset $offset\n"
                       "wait 5000\n"
                       "print offset $offset\n"
                       "wait 500\n"
                       "print offset $offset\n"
                       "quit\n");
    ASSERT_EQ(offsets.size(), 4u);
    EXPECT_GE(offsets[0], 390) << "the content followed the finger";
    EXPECT_GT(offsets[1], offsets[0]) << "and slid on";
    EXPECT_GT(offsets[2], offsets[1]);
    EXPECT_EQ(offsets[3], offsets[2]) << "friction stopped it";
}

TEST_F(ListHost, PullingTheTopDownSpringsBack) {
    test::ProcessResult result;
    run("down 240 200\n"
        "move 240 250\n"
        "move 240 300\n"
        "move 240 350\n"
        "wait 300\n"
        "up 240 350\n"
        "wait 1000\n"
        "expect hostlist.offset 0\n"
        "quit\n",
        &result);
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(ListHost, TheStripJumpsToALetterAndTheBubbleGoesAway) {
    std::filesystem::path shot = folder / "bubble.png";
    test::ProcessResult result;
    // The strip's letters span y 80..720 of the client below the 52-pixel task bar; the
    // script speaks in screen coordinates.
    auto offsets = run("down 470 300\n"
                       "expect strip.active true\n"
                       "screenshot " +
                           shot.string() +
                           "\n"
                           "up 470 300\n"
                           "expect strip.active false\n"
                           "print offset $offset\n"
                           "quit\n",
                       &result);
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_GT(offsets[0], 0);
    EXPECT_TRUE(std::filesystem::exists(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 1000u);
}

TEST_F(ListHost, AFailedExpectationFailsTheScript) {
    std::filesystem::path file = folder / "bad.txt";
    std::ofstream(file) << "expect hostlist.offset 12345\nquit\n";
    test::ProcessResult r = test::runProcess(
        {(test::binaryFolder() / "tests" / "lists" / "host" / "list_host").string(), "--headless",
         "--script", file.string()});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("hostlist.offset"), std::string::npos) << r.err;
}

} // namespace
} // namespace vantrel
