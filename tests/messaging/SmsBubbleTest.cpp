// The conversation's bubbles as the list draws them while it scrolls (each opaque
// bubble drawn once and copied after) against the plain drawing of the same bubble:
// background, wrapped body, date at the bottom, every pixel the same at every offset,
// cut by the list's edges or not; and the heights that put them there.

#include "tests/ui/ToolkitFixture.h"

#include "messaging/SmsBubbleItem.h"
#include "messaging/SmsSmartListControl.h"
#include "platform/gfx/Painter.h"
#include "platform/text/TextDrawing.h"
#include "settings/Background.h"
#include "settings/Box.h"
#include "settings/Font.h"

#include <random>

using namespace vantrel;
using namespace vantrel::test;
using platform::Rect;

namespace {

class SmsBubbles : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        // No scroll bar: rows take the list's whole width, as the bubbles are measured.
        SettingStore::instance().addLine(u"smslist.*.scrollbar.box=0,0,0,0");
        SettingStore::instance().addLine(u"smslist.*.scrollbar.scroller.box=0,0,0,0");
        list = std::make_unique<SmsSmartListControl>(window, nullptr);
        list->layout(client);
        std::mt19937 random(17);
        const char16_t* words[] = {u"see",      u"you", u"at",      u"eight", u"tonight",
                                   u"Καλημέρα", u"the", u"meeting", u"moved", u"room"};
        for (int i = 0; i < 30; ++i) {
            SMSMessage message;
            for (int w = 0; w < 1 + int(random() % 25); ++w)
                message.text += std::u16string(words[random() % 10]) + u" ";
            message.isCall = i % 7 == 3;
            message.sent = random() % 2;
            message.read = random() % 3 != 0;
            message.time = 134117856000000000ull + uint64_t(i) * 600000000ull;
            list->appendItem(makeItem<SmsBubbleItem>(std::move(message)));
        }
    }
    void TearDown() override {
        list.reset();
        Toolkit::TearDown();
    }

    // The bubble drawn plainly, straight into `surface`.
    static void drawPlainly(platform::Surface& surface, SmsSmartListControl& list,
                            SmsBubbleItem& bubble, const Rect& row, const Rect& clip) {
        const auto& look = list.look(bubble.kind());
        const Rect text = look.textBox->rectangle(row);
        look.background->draw(surface, look.box->rectangle(row), clip);
        const unsigned flags = platform::TextFormat::WordBreak | platform::TextFormat::NoPrefix;
        look.font->drawText(surface, bubble.message().text, text, flags, clip);
        look.infoFont->drawText(surface, bubble.dateText(), text,
                                flags | platform::TextFormat::Bottom, clip);
    }

    std::unique_ptr<SmsSmartListControl> list;
};

} // namespace

TEST_F(SmsBubbles, ScrolledBubblesMatchThePlainDrawingAtEveryOffset) {
    platform::Surface drawn(screenWidth, screenHeight);
    platform::Surface plain(screenWidth, screenHeight);
    PaintContext context{drawn, screenWidth, screenHeight, 0};
    const int range = list->contentHeight() - list->rect().height();
    ASSERT_GT(range, 2 * list->rect().height()) << "several screens of bubbles";
    // Down and back up: bubbles drawn at one offset are copied at the next ones.
    for (int offset : {0, 37, 411, range / 2, range - 5, range / 2 + 3, 59, 1}) {
        SCOPED_TRACE("offset " + std::to_string(offset));
        list->setScrollOffset(offset);
        list->paint(context, list->rect());
        platform::Painter(plain).copy(drawn, drawn.bounds(), {0, 0});
        const Rect view = list->rect();
        for (IListItem* item : list->shownItems()) {
            Rect row = list->itemRect(item);
            if (row.intersected(view).isEmpty())
                continue;
            // The list's own background first, as under the bubble.
            list->getBackground(u"background", SmartListControl::backgroundSlot)
                .draw(plain, row.intersected(view), view);
            drawPlainly(plain, *list, *static_cast<SmsBubbleItem*>(item), row, view);
        }
        for (int y = view.top; y < view.bottom; ++y)
            for (int x = view.left; x < view.right; ++x)
                if (drawn.row(y)[x] != plain.row(y)[x])
                    FAIL() << "pixel " << x << "," << y;
    }
}

TEST_F(SmsBubbles, ABubbleIsAsHighAsItsWrappedBodyDateLineAndPadding) {
    for (IListItem* item : list->shownItems()) {
        auto& bubble = *static_cast<SmsBubbleItem*>(item);
        const auto& look = list->look(bubble.kind());
        const Rect probe{0, 20, list->rect().width(), 120};
        const Rect text = look.textBox->rectangle(probe);
        const Rect column{0, 0, text.width(), 100000};
        const unsigned flags = platform::TextFormat::WordBreak | platform::TextFormat::NoPrefix;
        const int expected =
            look.font->measureText(bubble.message().text, column, flags).height() +
            look.infoFont->measureText(SmsBubbleItem::dateSample, column, flags).height() + 100 -
            text.height();
        EXPECT_EQ(bubble.height(), expected);
        EXPECT_FALSE(bubble.dateText().empty());
    }
}
