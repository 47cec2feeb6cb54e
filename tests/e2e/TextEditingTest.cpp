// Typing into a real field of the program on the demo device: a contact's note opened,
// edited with keys, selection, the clipboard and an input method's composition, saved
// into the store (read back through the device tool's export), or cancelled; and a
// rotation in the middle of typing that keeps every typed character.

#include "platform/core/Paths.h"
#include "tests/support/Process.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace vantrel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class TextEditing : public testing::Test {
protected:
    void SetUp() override {
        test::useFreshDevice();
        ASSERT_EQ(device({"seed-demo", "--contacts", "20"}).exitCode, 0);
        auto added = device({"contacts", "add", "--first", "Nora", "--last", "Quill", "--mobile",
                             "555 0101", "--note", "old note"});
        ASSERT_EQ(added.exitCode, 0) << added.err;
        id = added.out.substr(0, added.out.find('\n'));
    }

    static test::ProcessResult device(std::vector<std::string> words) {
        return test::runDevice(std::move(words), 20s);
    }

    // Runs the program on a script that first opens the contact's note and taps its field.
    test::ProcessResult run(const std::string& steps) {
        fs::path file = platform::programFolder() / "note.script";
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "expect-loaded 10000\n"
                               "open-note " +
                                   id +
                                   "\n"
                                   "wait 600\n"
                                   "expect note/textcontrol.text \"old note\"\n"
                                   "tap 240 200\n"
                                   "expect note/textcontrol.focused true\n"
                            << steps << "quit\n";
        return test::runProcess({(test::binaryFolder() / "app" / "vantrel").string(), "--headless",
                                 "--script", file.string()},
                                30s);
    }

    // The stored note of the contact, from an export of the whole store.
    std::string storedNote() {
        fs::path file = platform::programFolder() / "export.vcf";
        EXPECT_EQ(device({"contacts", "export", file.string()}).exitCode, 0);
        std::ifstream in(file);
        std::string line, note = "(none)";
        bool nora = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line == "BEGIN:VCARD")
                nora = false;
            if (line.starts_with("N:Quill;Nora"))
                nora = true;
            if (line.starts_with("NOTE:") && nora)
                note = line.substr(5);
            if (line == "END:VCARD" && nora)
                return note;
        }
        return "(no contact)";
    }

    std::string id;
};

} // namespace

TEST_F(TextEditing, ANoteEditedWithKeysSelectionClipboardAndComposingIsSaved) {
    auto result = run(
        // The caret lands where the field was tapped, after the text here.
        "expect note/textcontrol.caret 8\n"
        "text \" and new\"\n"
        "expect note/textcontrol.text \"old note and new\"\n"
        "expect note/textcontrol.modified true\n"
        // "new" selected with shift and copied.
        "key shift+left shift+left shift+left\n"
        "expect note/textcontrol.selection new\n"
        "key ctrl+c\n"
        "clipboard expect new\n"
        // Pasted text from elsewhere brings its line breaks.
        "key end\n"
        "clipboard set \":\" \"first\" \"second\"\n"
        "key ctrl+v\n"
        "expect note/textcontrol.text \"\\\"old note and new:\\\\nfirst\\\\nsecond\\\"\"\n"
        // An input method's word shows while composed, then commits as typed text.
        "compose \"\xe3\x81\xab\xe3\x81\xbb\"\n"
        "expect note/textcontrol.composition \"\xe3\x81\xab\xe3\x81\xbb\"\n"
        "expect note/textcontrol.text \"\\\"old note and new:\\\\nfirst\\\\nsecond\\\"\"\n"
        "text \"\xe6\x97\xa5\"\n"
        "compose \"\"\n"
        "expect note/textcontrol.composition \"\"\n"
        "key back\n"
        "text \"!\"\n"
        // OK, above the input panel.
        "tap 100 600\n"
        "wait 1000\n"
        "expect-missing note\n"
        "expect sip.visible false\n"
        "expect window.rect \"[0, 0, 480, 800]\"\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(storedNote(), "old note and new:\\nfirst\\nsecond!");
}

TEST_F(TextEditing, CancelStoresNothingTyped) {
    auto cancelled = run("text \" typed\"\n"
                         "tap 360 600\n"
                         "wait 1000\n"
                         "expect-missing note\n");
    ASSERT_EQ(cancelled.exitCode, 0) << cancelled.err;
    EXPECT_EQ(storedNote(), "old note");
}

TEST_F(TextEditing, ARotationWhileTypingKeepsTheText) {
    auto result = run("text \" kept\"\n"
                      "size 800x480\n"
                      "wait 300\n"
                      "expect note/textcontrol.native false\n"
                      "expect note/textcontrol.text \"old note kept\"\n"
                      "size 480x800\n"
                      "wait 300\n"
                      "tap 240 200\n"
                      "text \"!\"\n"
                      "expect note/textcontrol.text \"old note kept!\"\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
}
