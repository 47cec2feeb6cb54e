#include "ToolkitFixture.h"

#include "ui/BorderPanel.h"
#include "ui/ConfirmDialog.h"
#include "ui/Label.h"
#include "ui/RelativeButton.h"
#include "ui/SimpleDialog.h"

#include <functional>

namespace vantrel {
namespace {

using platform::Colour;
using platform::Rect;
using test::Probe;
using test::Toolkit;

class Lambda : public Action {
public:
    explicit Lambda(std::function<void()> body) : body_(std::move(body)) {}
    void execute() override { body_(); }

private:
    std::function<void()> body_;
};

std::vector<MenuEntry> numbered(int count, std::vector<std::string>* ran = nullptr) {
    std::vector<MenuEntry> entries;
    for (int i = 0; i < count; ++i) {
        std::u16string name = u"entry" + std::u16string(1, u'0' + i);
        std::unique_ptr<Action> action;
        if (ran)
            action =
                std::make_unique<Lambda>([ran, i] { ran->push_back("entry" + std::to_string(i)); });
        entries.push_back({name, std::move(action), false, {}, {}});
    }
    return entries;
}

// Whether a probe saw a stylus down or up (every control sees the release).
bool touched(const Probe& probe) {
    for (const std::string& e : probe.events)
        if (e == "down" || e == "up")
            return true;
    return false;
}

std::vector<std::u16string> names(const std::vector<MenuEntry>& entries) {
    std::vector<std::u16string> out;
    for (const MenuEntry& e : entries)
        out.push_back(e.name);
    return out;
}

TEST(MenuPaging, SixEntriesStayOnOnePageAndSevenGiveFiveAndMore) {
    EXPECT_EQ(pageMenuEntries(numbered(6), 5).size(), 6u);
    auto page = pageMenuEntries(numbered(7), 5);
    ASSERT_EQ(page.size(), 6u);
    EXPECT_EQ(page[4].name, u"entry4");
    EXPECT_EQ(page[5].name, u"more");
    EXPECT_EQ(names(page[5].children), (std::vector<std::u16string>{u"entry5", u"entry6"}));
    // The rest pages again when "More..." opens it.
    auto twelve = pageMenuEntries(numbered(12), 5);
    auto second = pageMenuEntries(std::move(twelve[5].children), 5);
    EXPECT_EQ(second.size(), 6u);
    EXPECT_EQ(second[5].children.size(), 2u);
}

TEST(MenuPaging, HiddenEntriesTakeNoPlaceAndATinyCapacityStillMakesProgress) {
    auto entries = numbered(7);
    entries[1].hidden = true;
    entries[3].hidden = true;
    auto page = pageMenuEntries(std::move(entries), 5);
    EXPECT_EQ(names(page),
              (std::vector<std::u16string>{u"entry0", u"entry2", u"entry4", u"entry5", u"entry6"}));
    auto tiny = pageMenuEntries(numbered(4), 0);
    ASSERT_EQ(tiny.size(), 2u) << "a theme whose menu holds no entry still shows one a page";
    EXPECT_EQ(tiny[1].children.size(), 3u);
}

class MenuTest : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        screen = std::make_unique<ContainerPanel>(window, u"panel", u"screen");
        below =
            screen->addChild(std::make_unique<Probe>(window, u"below", client, Colour{0x0000FF}));
        ControlHost::addControl(window, screen.get());
        ControlHost::layoutAll(window, client);
        repaint();
    }
    // The centre of the menu's n-th entry button.
    platform::Point entry(BorderPanel* menu, size_t n) {
        Rect r = menu->child(n)->rect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    std::unique_ptr<ContainerPanel> screen;
    Probe* below = nullptr;
    std::vector<std::string> ran;
};

TEST_F(MenuTest, TheMenuSlidesDownCentredWithOneCellPerEntry) {
    auto entries = numbered(3, &ran);
    entries[0].caption = u"Keyboard";
    BorderPanel* menu = showMenu(screen.get(), u"test", std::move(entries));
    EXPECT_TRUE(menu->isVisible());
    // 160p wide plus 2p margins, three 32p cells, at a 480-pixel screen ("p" doubles).
    EXPECT_EQ(menu->rect(), (Rect{76, 0, 404, 3 * 64 + 8}));
    EXPECT_EQ(menu->child(1)->rect(), (Rect{80, 4 + 64, 400, 4 + 128}));
    EXPECT_EQ(static_cast<Button*>(menu->child(2))->text(), u"menubutton.entry2.text")
        << "a caption without a line shows its key";
    menu->layout(client);
    EXPECT_EQ(static_cast<Button*>(menu->child(0))->text(), u"Keyboard")
        << "an entry's own caption outlives a layout";
    EXPECT_EQ(screen->child(0), menu) << "the menu lies over the screen's other children";
}

TEST_F(MenuTest, AChosenEntryRunsOnAScreenWithoutTheMenu) {
    const Colour before = pixel(240, 36);
    Colour seen{};
    std::vector<MenuEntry> entries;
    // What a confirmation would freeze, or a transition start from.
    entries.push_back({u"entry0",
                       std::make_unique<Lambda>([&] {
                           seen = platform::fromPixel565(
                               ControlHost::find(window)->backBuffer().at(240, 36));
                       }),
                       false,
                       {},
                       {}});
    BorderPanel* menu = showMenu(screen.get(), u"test", std::move(entries));
    advance(1000);
    ASSERT_NE(pixel(240, 36), before) << "the menu shows over the screen";
    auto [x, y] = entry(menu, 0);
    tap(x, y);
    EXPECT_EQ(seen, before);
}

TEST_F(MenuTest, ATapBesideTheButtonsClosesTheMenuWithoutReachingTheScreenBelow) {
    showMenu(screen.get(), u"test", numbered(3, &ran));
    tap(240, 600);
    EXPECT_EQ(screen->childCount(), 1u) << "the closed menu is gone";
    EXPECT_FALSE(touched(*below)) << "the screen below saw the closing tap";
    EXPECT_TRUE(ran.empty());
    tap(240, 600);
    EXPECT_TRUE(touched(*below)) << "a closed menu no longer takes taps";
}

TEST_F(MenuTest, ADismissActionRunsInsteadOfClosing) {
    BorderPanel* menu = showMenu(screen.get(), u"test", numbered(2, &ran));
    int dismissed = 0;
    menu->setDismissAction(std::make_unique<Lambda>([&] { ++dismissed; }));
    tap(10, 700);
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(menu->isVisible());
}

TEST_F(MenuTest, ChoosingAnEntryRunsItsCommandAndDeletesTheMenu) {
    BorderPanel* menu = showMenu(screen.get(), u"test", numbered(3, &ran));
    auto [x, y] = entry(menu, 1);
    tap(x, y);
    EXPECT_EQ(ran, (std::vector<std::string>{"entry1"}));
    EXPECT_EQ(screen->childCount(), 1u) << "the menu is gone from the screen";
    EXPECT_FALSE(touched(*below));
}

TEST_F(MenuTest, MoreSlidesTheRestIntoTheSamePanel) {
    BorderPanel* menu = showMenu(screen.get(), u"test", numbered(7, &ran));
    ASSERT_EQ(menu->childCount(), 6u);
    EXPECT_EQ(static_cast<Button*>(menu->child(5))->text(), u"More...");
    auto [x, y] = entry(menu, 5);
    tap(x, y);
    ASSERT_EQ(screen->child(0), menu) << "the same panel stays open";
    ASSERT_EQ(menu->childCount(), 2u);
    EXPECT_EQ(menu->child(1)->name(), u"entry6");
    EXPECT_EQ(menu->rect().bottom, 2 * 64 + 8);
    EXPECT_TRUE(ran.empty());
    auto [x6, y6] = entry(menu, 1);
    tap(x6, y6);
    EXPECT_EQ(ran, (std::vector<std::string>{"entry6"}));
    EXPECT_EQ(screen->childCount(), 1u);
}

class ConfirmTest : public MenuTest {
protected:
    ConfirmDialog* ask() {
        return showConfirm(window, u"Remove it?", u"Yes", u"No",
                           std::make_unique<Lambda>([this] { ran.push_back("confirmed"); }));
    }
    void answer(ConfirmDialog* dialog, size_t button) {
        Rect r = dialog->child(button)->rect();
        tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

TEST_F(ConfirmTest, CancelRunsNothingAndShowsTheUnchangedScreenAgain) {
    const Colour before = pixel(240, 100);
    ConfirmDialog* dialog = ask();
    EXPECT_EQ(ControlHost::find(window)->controls().front(), dialog);
    EXPECT_EQ(static_cast<Label*>(dialog->child(0))->text(), u"Remove it?");
    EXPECT_EQ(static_cast<Button*>(dialog->child(1))->text(), u"Yes");
    EXPECT_EQ(static_cast<Button*>(dialog->child(2))->text(), u"No");
    const Colour box = pixel(240, 790);
    EXPECT_NE(box, before) << "the dialog's box dims the frozen screen";
    EXPECT_TRUE(
        dialog->rect().contains({dialog->child(0)->rect().left, dialog->child(0)->rect().top}))
        << "the message lies inside the dialog's box";
    EXPECT_EQ(pixel(240, 100), before) << "the frozen screen shows above the box";
    tap(240, 100);
    EXPECT_FALSE(touched(*below)) << "the screen behind the question took a tap";
    answer(dialog, 2);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(ControlHost::find(window)->controls().size(), 1u);
    repaint();
    EXPECT_EQ(pixel(240, 790), before);
}

TEST_F(ConfirmTest, OkClosesTheQuestionThenRunsTheCommandOnce) {
    ConfirmDialog* dialog = ask();
    answer(dialog, 1);
    EXPECT_EQ(ran, (std::vector<std::string>{"confirmed"}));
    EXPECT_EQ(ControlHost::find(window)->controls().size(), 1u);
}

TEST_F(ConfirmTest, AConfirmActionReadsItsTextsByName) {
    SettingStore::instance().addLine(u"confirm.test.message.text=Really?");
    ConfirmAction action(window, u"test", [this] {
        return std::make_unique<Lambda>([this] { ran.push_back("confirmed"); });
    });
    action.execute();
    auto* dialog = static_cast<ConfirmDialog*>(ControlHost::find(window)->controls().front());
    EXPECT_EQ(static_cast<Label*>(dialog->child(0))->text(), u"Really?");
    EXPECT_EQ(static_cast<Button*>(dialog->child(1))->text(), u"Yes");
    answer(dialog, 1);
    action.execute();
    answer(static_cast<ConfirmDialog*>(ControlHost::find(window)->controls().front()), 1);
    EXPECT_EQ(ran, (std::vector<std::string>{"confirmed", "confirmed"}))
        << "every question gets its own command";
}

class NoteDialog : public SimpleDialog {
public:
    NoteDialog(platform::WindowHandle window, std::string& applied)
        : SimpleDialog(window, u"note"), applied_(applied) {
        addAnswerButtons();
    }
    void onOk() override {
        applied_ = "applied";
        SimpleDialog::onOk();
    }

private:
    std::string& applied_;
};

TEST_F(Toolkit, ASimpleDialogReplacesThePageUntilItIsAnswered) {
    Panel page(window, u"page");
    ControlHost::addControl(window, &page);
    ControlHost::layoutAll(window, client);
    std::string applied;
    for (const char* answer : {"cancel", "ok"}) {
        SimpleDialog* dialog = SimpleDialog::open(std::make_unique<NoteDialog>(window, applied));
        EXPECT_EQ(dialog->predecessor(), &page);
        EXPECT_FALSE(page.isVisible());
        EXPECT_EQ(ControlHost::findActivePanel(window), dialog);
        Rect r = dialog->findChild(std::u16string(answer, answer + strlen(answer)))->rect();
        tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        EXPECT_TRUE(page.isVisible());
        EXPECT_EQ(ControlHost::find(window)->controls().size(), 1u);
        EXPECT_EQ(applied, std::string(answer) == "ok" ? "applied" : "") << answer;
    }
}

} // namespace
} // namespace vantrel
