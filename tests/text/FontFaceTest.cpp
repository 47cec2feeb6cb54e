#include "platform/text/FontFace.h"

#include "platform/core/Utf.h"
#include "platform/text/TextDrawing.h"

#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

using namespace vantrel::platform;

namespace {

LogicalFont logical(std::u16string face, int height = 14, int weight = 400, bool italic = false) {
    return {height, weight, italic, std::move(face)};
}

void replaceAll(std::string& bytes, const std::string& from, const std::string& to) {
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 1))
        bytes.replace(at, from.size(), to);
}

std::string utf16be(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out.push_back('\0');
        out.push_back(c);
    }
    return out;
}

// Copies an installed font under a new file name with its family renamed (same length, so
// the tables stay where they are), giving a face that only registration can make known.
std::filesystem::path renamedFontCopy(const std::filesystem::path& folder,
                                      const std::filesystem::path& source, const std::string& from,
                                      const std::string& to) {
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    replaceAll(bytes, from, to);
    replaceAll(bytes, utf16be(from), utf16be(to));
    const std::filesystem::path copy = folder / (to + ".ttf");
    std::ofstream(copy, std::ios::binary) << bytes;
    return copy;
}

} // namespace

TEST(FontFace, PhoneFaceNamesResolveToInstalledFaces) {
    for (const char16_t* name : {u"Tahoma", u"Segoe UI", u"Verdana", u"Arial"}) {
        FontHandle font = fontFor(logical(name));
        ASSERT_TRUE(font) << toUtf8(name);
        EXPECT_FALSE(font->familyName().empty());
        EXPECT_TRUE(std::filesystem::exists(font->file())) << font->file();
        EXPECT_GT(measureRun(*font, u"Contact").width, 0);
    }
    // Arial has a metric-compatible twin among the installed fonts.
    FontHandle liberation = fontFor(logical(u"Liberation Sans"));
    if (liberation && liberation->familyName() == "Liberation Sans") {
        EXPECT_EQ(fontFor(logical(u"Arial"))->familyName(), "Liberation Sans");
    }
}

TEST(FontFace, UnknownFaceFallsBackToADefaultFace) {
    FontHandle unknown = fontFor(logical(u"No Such Face 4711"));
    ASSERT_TRUE(unknown);
    EXPECT_NE(unknown->familyName(), "No Such Face 4711");
    EXPECT_GT(measureRun(*unknown, u"x").width, 0);
    ASSERT_TRUE(fontFor(logical(u"")));
}

TEST(FontFace, SameLogicalFontIsSharedAndSizesDiffer) {
    FontHandle a = fontFor(logical(u"Tahoma", 14));
    FontHandle b = fontFor(logical(u"Tahoma", 14));
    FontHandle big = fontFor(logical(u"Tahoma", 28));
    EXPECT_EQ(a.get(), b.get());
    EXPECT_NE(a.get(), big.get());
    EXPECT_GT(measureRun(*big, u"Name").width, measureRun(*a, u"Name").width);
    // Two names that land on the same file and size share one face and its caches.
    FontHandle other = fontFor(logical(u"No Such Face 4711", 14));
    if (other->file() == a->file()) {
        EXPECT_EQ(other.get(), a.get());
    }
}

TEST(FontFace, HeightIsTheCharacterHeight) {
    FontHandle font = fontFor(logical(u"Tahoma", 20));
    EXPECT_EQ(font->pixelSize(), 20);
    // The line holds the em square plus the face's extra room above and below.
    EXPECT_GE(font->lineHeight(), 20);
    EXPECT_LT(font->lineHeight(), 30);
    EXPECT_GT(font->ascent(), font->descent());
    EXPECT_EQ(fontFor(logical(u"Tahoma", -20)).get(), font.get());
    EXPECT_EQ(fontFor(logical(u"Tahoma", 0))->pixelSize(), 12);
    EXPECT_EQ(fontFor(logical(u"Tahoma", 1000000))->pixelSize(), 256);
}

TEST(FontFace, WeightFromSixHundredAndItalicSelectTheStyle) {
    FontHandle regular = fontFor(logical(u"Tahoma", 14, 400));
    FontHandle bold = fontFor(logical(u"Tahoma", 14, 700));
    FontHandle semibold = fontFor(logical(u"Tahoma", 14, 600));
    FontHandle italic = fontFor(logical(u"Tahoma", 14, 400, true));
    EXPECT_FALSE(regular->isBold());
    EXPECT_FALSE(regular->isItalic());
    EXPECT_TRUE(bold->isBold());
    EXPECT_TRUE(semibold->isBold());
    EXPECT_TRUE(italic->isItalic());
    EXPECT_FALSE(italic->isBold());
    EXPECT_GT(measureRun(*bold, u"Contacts").width, measureRun(*regular, u"Contacts").width);
}

TEST(FontFace, RegisteredFileMakesItsFamilyResolvable) {
    FontHandle dejavu = fontFor(logical(u"DejaVu Sans"));
    ASSERT_TRUE(dejavu);
    if (dejavu->familyName() != "DejaVu Sans")
        GTEST_SKIP() << "DejaVu Sans is not installed";
    const std::filesystem::path folder = vantrel::test::freshFolder("fonts");
    const std::filesystem::path copy =
        renamedFontCopy(folder, dejavu->file(), "DejaVu Sans", "VantrelTest");

    EXPECT_NE(fontFor(logical(u"VantrelTest"))->familyName(), "VantrelTest");
    ASSERT_TRUE(registerFontFile(copy));
    FontHandle registered = fontFor(logical(u"VantrelTest"));
    ASSERT_TRUE(registered);
    EXPECT_EQ(registered->familyName(), "VantrelTest");
    EXPECT_EQ(std::filesystem::canonical(registered->file()), std::filesystem::canonical(copy));
    EXPECT_TRUE(registerFontFile(copy)); // a second registration is harmless
    // Bold asked of a family that only has a regular face is emboldened.
    EXPECT_TRUE(fontFor(logical(u"VantrelTest", 14, 700))->isBold());
}

TEST(FontFace, RegisteringAMissingOrBrokenFileFails) {
    const std::filesystem::path folder = vantrel::test::freshFolder("fonts");
    EXPECT_FALSE(registerFontFile(folder / "Absent.ttf"));
    std::ofstream(folder / "Broken.ttf", std::ios::binary) << "not a font at all";
    EXPECT_FALSE(registerFontFile(folder / "Broken.ttf"));
    EXPECT_FALSE(registerFontFile(folder));
    EXPECT_TRUE(fontFor(logical(u"Broken")));
}
