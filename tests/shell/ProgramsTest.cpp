// Handing work to other programs: arguments reach the program as the words they are,
// a start leaves nothing to reap, the mail recipient survives names with commas and
// quotes, and the pictures folder is read from the desktop's user-dirs file.

#include "platform/shell/Programs.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sys/wait.h>
#include <thread>

using namespace vantrel;
using namespace vantrel::platform::shell;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string waitForFile(const fs::path& file) {
    for (int i = 0; i < 200 && !fs::exists(file); ++i)
        std::this_thread::sleep_for(25ms);
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Programs, EachArgumentArrivesAsOneWordAndNothingIsLeftToReap) {
    fs::path folder = test::freshFolder("programs");
    fs::path words = folder / "words";
    fs::path program = folder / "record words";
    std::ofstream(program) << "#!/bin/sh\nfor word in \"$@\"; do printf '[%s]\\n' \"$word\"; done > "
                           << words << ".part && mv " << words << ".part " << words << "\n";
    fs::permissions(program, fs::perms::owner_all);

    // Blanks, quotes, a leading dash and a shell command stay plain words.
    ASSERT_TRUE(startProgram(program, {u"-to", u"+41 79 \"5\"", u"$(touch " + (folder / "x").u16string() + u")", u"Jörg"}));
    EXPECT_EQ(waitForFile(words), "[-to]\n[+41 79 \"5\"]\n[$(touch " + (folder / "x").string() + ")]\n[Jörg]\n");
    EXPECT_FALSE(fs::exists(folder / "x"));
    // The program was handed to the system: this process has no child left.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    // Not a program, or none at all: refused, nothing runs.
    std::ofstream(folder / "plain") << "#!/bin/sh\ntouch " << (folder / "ran") << "\n";
    EXPECT_FALSE(startProgram(folder / "plain", {}));
    EXPECT_FALSE(startProgram(folder / "missing", {}));
    EXPECT_FALSE(startProgram("vantrel-no-such-program", {}));
    EXPECT_FALSE(fs::exists(folder / "ran"));
}

TEST(Programs, TheMailRecipientKeepsItsNameWhole) {
    EXPECT_EQ(mailtoUri(u"Abächerli, Jörg", u"j@example.com"),
              "mailto:%22Ab%C3%A4cherli%2C%20J%C3%B6rg%22%20%3Cj@example.com%3E");
    // Quotes and backslashes are escaped inside the quoted name; a line break would end
    // the header.
    EXPECT_EQ(mailtoUri(u"A \"B\\\" C\nD", u"a@b.c"),
              "mailto:%22A%20%5C%22B%5C%5C%5C%22%20C%20D%22%20%3Ca@b.c%3E");
    EXPECT_EQ(mailtoUri(u"", u"a&cc=x@b.c"), "mailto:a%26cc%3Dx@b.c");
}

TEST(Programs, ThePicturesFolderComesFromTheUserDirsFile) {
    const fs::path home = "/home/anna";
    EXPECT_EQ(picturesDirFromUserDirs("# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                      "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
                                      home),
              home / "Bilder");
    EXPECT_EQ(picturesDirFromUserDirs("XDG_PICTURES_DIR=\"/srv/photos\"", home),
              fs::path("/srv/photos"));
    // The last line that sets it wins, as when the shell reads the file.
    EXPECT_EQ(picturesDirFromUserDirs("XDG_PICTURES_DIR=\"/a\"\nXDG_PICTURES_DIR=\"$HOME\"\n", home),
              home / "");
    // Relative paths, other variables, unquoted or unterminated values are not folders.
    for (const char* text : {"XDG_PICTURES_DIR=\"Pictures\"", "XDG_PICTURES_DIR=\"$HOMEX/a\"",
                             "XDG_PICTURES_DIR=$HOME/a", "XDG_PICTURES_DIR=\"/a", "",
                             "#XDG_PICTURES_DIR=\"/a\""})
        EXPECT_FALSE(picturesDirFromUserDirs(text, home)) << text;
    EXPECT_FALSE(picturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME/a\"", fs::path()));
}
