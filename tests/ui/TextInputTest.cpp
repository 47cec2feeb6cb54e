#include "ToolkitFixture.h"

#include "platform/edit/EditWindow.h"
#include "ui/Button.h"
#include "ui/ControlDump.h"
#include "ui/EditControl.h"
#include "ui/Label.h"
#include "ui/TextInputControl.h"

#include <memory>

namespace vantrel {
namespace {

using platform::Rect;
using platform::rgb;
using test::Toolkit;

class TextInputTest : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        SettingStore& store = SettingStore::instance();
        store.addLine(u"textcontrol.field.box=0,100,100%,300");
        store.addLine(u"textcontrol.field.text.box=10,10,-10,-10");
        store.addLine(u"textcontrol.field.font=12,regular,Tahoma,#00FF00");
        store.addLine(u"textcontrol.field.background=fill(#FF0000)");
        store.addLine(u"textcontrol.field.unfocused.background=fill(#0000FF)");
        field = std::make_unique<TextInputControl>(window, u"field");
        ControlHost::addControl(window, field.get());
        ControlHost::layoutAll(window, {0, 0, 1, 1});
        ControlHost::layoutAll(window, client);
        repaint();
    }
    void TearDown() override {
        ControlHost::removeControl(window, field.get());
        field.reset();
        Toolkit::TearDown();
    }
    void type(std::u16string_view text) {
        for (char16_t c : text)
            platform::injectCharacter(c);
        platform::pumpMessages();
    }
    const platform::EditWindow& edit() const {
        return *platform::EditWindow::from(field->nativeEdit());
    }

    std::unique_ptr<TextInputControl> field;
};

TEST_F(TextInputTest, TheOpenEditWearsTheControlsBackgroundAndTheTextSurvivesItsClosing) {
    EXPECT_EQ(pixel(5, 105), as565(rgb(0, 0, 0xFF))) << "idle: the unfocused background";
    tap(100, 200);
    ASSERT_TRUE(field->nativeShown());
    EXPECT_EQ(platform::focusWindow(), field->nativeEdit());
    type(u"hi there");
    platform::pumpMessages();
    // Around the box the control's own paint, inside it the edit: the same red.
    EXPECT_EQ(pixel(5, 105), as565(rgb(0xFF, 0, 0)));
    EXPECT_EQ(pixel(470, 290), as565(rgb(0xFF, 0, 0))) << "the edit's brush lines up";
    EXPECT_EQ(field->text(), u"Hi there") << "the edit capitalises the first letter";
    EXPECT_TRUE(field->modified());

    // Losing the focus copies the text out and hides the edit.
    platform::setFocus(window);
    platform::pumpMessages();
    EXPECT_FALSE(field->nativeShown());
    EXPECT_EQ(field->text(), u"Hi there");
    EXPECT_TRUE(field->modified()) << "the flag outlives the edit's closing";
    EXPECT_EQ(pixel(5, 105), as565(rgb(0, 0, 0xFF)));
    int ink = 0;
    for (int y = 100; y < 300; ++y)
        for (int x = 0; x < 480; ++x)
            ink += pixel(x, y) != as565(rgb(0, 0, 0xFF));
    EXPECT_GT(ink, 20) << "the control draws the kept text itself";
}

TEST_F(TextInputTest, AScreenChangeOrASettingsReloadNeverLosesTypedText) {
    tap(100, 200);
    type(u"typed");
    ControlHost::beginScreenChangeAll(window);
    EXPECT_FALSE(field->nativeShown());
    EXPECT_EQ(field->text(), u"Typed");

    tap(100, 200);
    type(u" more");
    // A rotation clears the store's caches, which reloads every control.
    SettingStore::instance().setLandscape(true);
    platform::pumpMessages();
    EXPECT_FALSE(field->nativeShown());
    EXPECT_EQ(field->text(), u"Typed more");
}

TEST_F(TextInputTest, SetTextOnAnOpenFieldPutsTheCaretAtTheEndAndClearsModified) {
    tap(100, 200);
    type(u"abc");
    field->setText(u"replaced");
    EXPECT_FALSE(field->modified());
    EXPECT_EQ(edit().caret(), 8u);
    const DumpValue dump = dumpControl(*field);
    EXPECT_EQ(dump.member("text")->toJson(), "\"replaced\"");
    EXPECT_EQ(dump.member("caret")->toJson(), "8");
    EXPECT_EQ(dump.member("native")->toJson(), "true");
}

TEST_F(TextInputTest, ARowGivesItsFieldTheRightPartOrTheMiddleBesideItsButton) {
    SettingStore& store = SettingStore::instance();
    store.addLine(u"editcontrol.*.box=0,0,100%,60");
    EditControl plain(window, u"name", false);
    EditControl withButton(window, u"city", true);
    plain.layout(client);
    withButton.layout(client);
    const Rect row{0, 0, 480, 60};
    auto box = [&](std::u16string_view key) {
        return SettingStore::instance().box(u"editcontrol", u"name", key).rectangle(row);
    };
    EXPECT_EQ(plain.field()->rect(), box(u"right.box"));
    EXPECT_EQ(plain.label()->rect(), box(u"left.box"));
    EXPECT_EQ(plain.button(), nullptr);
    EXPECT_EQ(withButton.field()->rect(), box(u"middle.box"));
    EXPECT_EQ(withButton.button()->rect(), box(u"button.box"));
    EXPECT_NE(box(u"right.box"), box(u"middle.box"));
}

} // namespace
} // namespace vantrel
