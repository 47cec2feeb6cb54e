#include "ToolkitFixture.h"

#include "ui/Action.h"
#include "ui/ContainerPanel.h"
#include "ui/RelativeButton.h"

#include <functional>

namespace vantrel {
namespace {

using platform::Rect;
using test::Toolkit;

class Lambda : public Action {
public:
    explicit Lambda(std::function<void()> body) : body_(std::move(body)) {}
    void execute() override { body_(); }

private:
    std::function<void()> body_;
};

// A temporary panel that says when it is deleted.
class Menu : public ContainerPanel {
public:
    Menu(platform::WindowHandle window, bool& deleted)
        : ContainerPanel(window, u"menupanel", u"menu"), deleted_(deleted) {}
    ~Menu() override { deleted_ = true; }

private:
    bool& deleted_;
};

class DeleteProxyTest : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        screen = std::make_unique<ContainerPanel>(window, u"panel", u"screen");
        menu = screen->addChild(std::make_unique<Menu>(window, menuDeleted));
        menu->setRect({100, 100, 300, 300});
        ControlHost::addControl(window, screen.get());
    }
    std::unique_ptr<ContainerPanel> screen;
    Menu* menu = nullptr;
    bool menuDeleted = false;
};

TEST_F(DeleteProxyTest, ChoosingAMenuEntryClosesTheMenuBeforeItsCommandRuns) {
    bool menuHiddenWhenRun = false;
    int runs = 0;
    auto* entry = menu->addChild(
        std::make_unique<RelativeButton>(window, u"entry", menu, Rect{0, 0, 200, 40}));
    entry->setAction(std::make_unique<DeleteProxyAction>(std::make_unique<Lambda>([&] {
                                                             ++runs;
                                                             menuHiddenWhenRun = !menu->isVisible();
                                                         }),
                                                         menu, screen.get()));

    tap(150, 110);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(menuHiddenWhenRun);
    EXPECT_TRUE(menuDeleted);
    EXPECT_EQ(screen->childCount(), 0u);
}

TEST_F(DeleteProxyTest, AnEntryWithoutACommandOnlyClosesTheMenuAndASecondRunDoesNothing) {
    DeleteProxyAction proxy(nullptr, menu, screen.get());
    proxy.execute();
    EXPECT_TRUE(menuDeleted);
    EXPECT_EQ(screen->childCount(), 0u);
    proxy.execute();
    EXPECT_EQ(screen->childCount(), 0u);
}

TEST_F(DeleteProxyTest, TheWrappedCommandIsDeletedWithTheProxy) {
    struct Tracked : Action {
        explicit Tracked(bool& gone) : gone_(gone) {}
        ~Tracked() override { gone_ = true; }
        void execute() override {}
        bool& gone_;
    };
    bool gone = false;
    { DeleteProxyAction proxy(std::make_unique<Tracked>(gone), menu, screen.get()); }
    EXPECT_TRUE(gone);
    EXPECT_FALSE(menuDeleted) << "a proxy that never ran leaves the menu alone";
}

TEST(AnswerAction, DialogButtonsGiveTheirAnswer) {
    struct Dialog : Answerable {
        void onOk() override { answers += "ok "; }
        void onCancel() override { answers += "cancel "; }
        std::string answers;
    } dialog;
    SDOkAction(&dialog).execute();
    SDCancelAction(&dialog).execute();
    OkAction(&dialog).execute();
    CancelAction(&dialog).execute();
    AnswerAction(nullptr, AnswerAction::Answer::ok).execute();
    EXPECT_EQ(dialog.answers, "ok cancel ok cancel ");
}

} // namespace
} // namespace vantrel
