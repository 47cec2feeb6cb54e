#include "platform/text/EditBuffer.h"

#include <gtest/gtest.h>

namespace vantrel::platform {
namespace {

// Ten pixels a code unit: wide enough to see where lines break, simple to count.
int tenEach(std::u16string_view piece) {
    return static_cast<int>(piece.size()) * 10;
}

std::vector<std::u16string> lineTexts(const EditBuffer& buffer, int width) {
    std::vector<std::u16string> out;
    for (const EditBuffer::Line& line : buffer.wrap(width, tenEach))
        out.push_back(buffer.text().substr(line.start, line.end - line.start));
    return out;
}

TEST(EditBuffer, SurrogatePairsAndCombiningMarksAreTypedAndDeletedWhole) {
    EditBuffer buffer;
    // "a", U+1F600 (a surrogate pair), "e" with a combining acute, "b".
    buffer.setText(u"a\U0001F600e\u0301b");
    EXPECT_FALSE(buffer.modified());
    buffer.moveLeft(false);
    buffer.deleteBackward();
    EXPECT_EQ(buffer.text(), u"a\U0001F600b") << "the accent went with its letter";
    buffer.deleteBackward();
    EXPECT_EQ(buffer.text(), u"ab") << "both halves of the pair went";
    EXPECT_EQ(buffer.caret(), 1u);
    EXPECT_TRUE(buffer.modified());
    buffer.setCaret(2, false);
    buffer.moveLeft(false);
    buffer.insert(u"\U0001F44D\U0001F3FD"); // thumbs up with a skin tone: one character
    buffer.setCaret(2, false);
    EXPECT_EQ(buffer.caret(), 1u) << "a caret never lands inside a character";
    buffer.deleteForward();
    EXPECT_EQ(buffer.text(), u"ab");
}

TEST(EditBuffer, SelectionGrowsWithExtendAndIsReplacedByTypingOrPaste) {
    EditBuffer buffer;
    buffer.setText(u"hello world");
    buffer.setCaret(6, false);
    buffer.moveRight(true);
    buffer.moveRight(true);
    EXPECT_EQ(buffer.selectedText(), u"wo");
    buffer.moveLeft(false);
    EXPECT_EQ(buffer.caret(), 6u) << "a plain arrow collapses the selection to its edge";
    EXPECT_FALSE(buffer.hasSelection());
    buffer.setCaret(11, true);
    ASSERT_TRUE(buffer.insert(u"there\r\nand\rback\x01"));
    EXPECT_EQ(buffer.text(), u"hello there\nand\nback") << "pasted line breaks become one kind";
    EXPECT_EQ(buffer.caret(), buffer.text().size());
    buffer.selectAll();
    buffer.deleteBackward();
    EXPECT_EQ(buffer.text(), u"");
}

TEST(EditBuffer, TheLengthLimitKeepsWholeCharactersAndRefusesWhatDoesNotFit) {
    EditBuffer buffer(4);
    buffer.setText(u"abcdef");
    EXPECT_EQ(buffer.text(), u"abcd");
    buffer.setText(u"ab");
    EXPECT_TRUE(buffer.insert(u"c\U0001F600"));
    EXPECT_EQ(buffer.text(), u"abc") << "half a surrogate pair is never kept";
    EXPECT_FALSE(buffer.insert(u"\U0001F600"));
    buffer.setCaret(0, false);
    buffer.setCaret(3, true);
    EXPECT_TRUE(buffer.insert(u"\U0001F600\U0001F600")) << "the selection's room counts";
    EXPECT_EQ(buffer.text(), u"\U0001F600\U0001F600");
}

TEST(EditBuffer, WordsWrapWhereLineBreaksAllowAndLongWordsAreCut) {
    EditBuffer buffer;
    buffer.setText(u"one two three\n\nabcdefghij end");
    // Ten characters a line; the space after "two" hangs at the line's end.
    EXPECT_EQ(lineTexts(buffer, 100),
              (std::vector<std::u16string>{u"one two ", u"three", u"", u"abcdefghij ", u"end"}));
    EXPECT_EQ(lineTexts(buffer, 40),
              (std::vector<std::u16string>{u"one ", u"two ", u"thre", u"e", u"", u"abcd", u"efgh",
                                           u"ij ", u"end"}));
    buffer.setText(u"");
    EXPECT_EQ(buffer.wrap(100, tenEach).size(), 1u) << "an empty text still has its line";
}

TEST(EditBuffer, TheCaretMovesBetweenLinesKeepingItsPlace) {
    EditBuffer buffer;
    buffer.setText(u"one two three\nab");
    auto lines = buffer.wrap(100, tenEach); // "one two ", "three", "ab"
    buffer.setCaret(2, false);
    buffer.moveVertically(lines, 1, tenEach, false);
    EXPECT_EQ(buffer.caret(), 10u) << "under the same x on the next line";
    buffer.moveVertically(lines, 1, tenEach, true);
    EXPECT_EQ(buffer.caret(), 16u) << "the short line's end is the nearest place";
    EXPECT_EQ(buffer.selectedText(), u"ree\nab");
    buffer.moveVertically(lines, 1, tenEach, false);
    EXPECT_EQ(buffer.caret(), buffer.text().size());
    buffer.moveVertically(lines, -5, tenEach, false);
    EXPECT_EQ(buffer.caret(), 0u);
    EXPECT_EQ(EditBuffer::lineOf(lines, 8), 1u) << "a caret at a soft wrap starts the next line";
    EXPECT_EQ(EditBuffer::lineOf(lines, 13), 1u) << "a caret before a line break ends its line";
}

} // namespace
} // namespace vantrel::platform
