#pragma once
// A smart list on a real window in virtual time: 400 pixels tall at y = 100, rows 40
// pixels tall, and helpers to fill it and to move the stylus the way a finger does.

#include "tests/ui/ToolkitFixture.h"

#include "lists/BaseItem.h"
#include "lists/SmartListControl.h"

#include <functional>
#include <memory>
#include <string>

namespace vantrel::test {

// Counts item clicks and remembers the last one.
class RecordingItemAction : public ItemAction {
public:
    explicit RecordingItemAction(std::function<void(IListItem*, int, int)> record)
        : record_(std::move(record)) {}
    void execute(IListItem* item, int x, int y) override { record_(item, x, y); }

private:
    std::function<void(IListItem*, int, int)> record_;
};

class ListTest : public Toolkit {
protected:
    static constexpr int listTop = 100;
    static constexpr int listHeight = 400;
    static constexpr int rowHeight = 40;

    void SetUp() override {
        Toolkit::SetUp();
        SettingStore& store = SettingStore::instance();
        store.addLine(u"list.test.box=0,100,480,500");
        store.addLine(u"list.test.item.height=40");
        list = std::make_unique<SmartListControl>(window, u"test");
        list->setClickAction(
            std::make_unique<RecordingItemAction>([this](IListItem* item, int x, int y) {
                clicked.push_back(item);
                clickPoint = {x, y};
            }));
        list->setLongPressAction(std::make_unique<RecordingItemAction>(
            [this](IListItem* item, int, int) { longPressed.push_back(item); }));
        ControlHost::addControl(window, list.get());
    }

    void TearDown() override {
        ControlHost::removeControl(window, list.get());
        list.reset();
        Toolkit::TearDown();
    }

    // `count` rows named "row 0", "row 1", …, then a layout and a first paint.
    void fill(int count) {
        for (int i = 0; i < count; ++i)
            list->appendItem(makeItem<SimpleItem>(u"row " + toText(i)));
        list->layout(client);
        repaint();
    }
    static std::u16string toText(int n) {
        std::string s = std::to_string(n);
        return std::u16string(s.begin(), s.end());
    }

    // A stroke: down at (x, y0), moves of `step` pixels every `gapMs` until y1, not lifted.
    void stroke(int x, int y0, int y1, int step, uint32_t gapMs) {
        stylus(platform::StylusAction::down, x, y0);
        int dir = y1 > y0 ? 1 : -1;
        for (int y = y0; y != y1;) {
            y = dir > 0 ? std::min(y + step, y1) : std::max(y - step, y1);
            advance(gapMs);
            stylus(platform::StylusAction::move, x, y);
        }
    }

    std::unique_ptr<SmartListControl> list;
    std::vector<IListItem*> clicked;
    std::vector<IListItem*> longPressed;
    platform::Point clickPoint;
};

} // namespace vantrel::test
