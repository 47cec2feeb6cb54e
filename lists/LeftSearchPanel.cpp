#include "lists/LeftSearchPanel.h"

#include "lists/SmartListControl.h"
#include "platform/gfx/Painter.h"
#include "platform/text/TextDrawing.h"
#include "settings/SettingStore.h"
#include "ui/ControlDump.h"
#include "ui/ControlHost.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

using platform::Rect;

namespace {

constexpr unsigned letterFormat = platform::TextFormat::Centre |
                                  platform::TextFormat::VerticalCentre |
                                  platform::TextFormat::SingleLine | platform::TextFormat::NoPrefix;

// The bubble's box is placed in a band this far above and below the finger; phones wider
// than the old QVGA screens get a band twice as tall.
int bubbleHalfHeight(int windowWidth) {
    return windowWidth > 320 ? 200 : 100;
}

} // namespace

LeftSearchPanel::LeftSearchPanel(platform::WindowHandle window, std::u16string name,
                                 SmartListControl& list)
    : LightControl(window, u"searchindex", name), list_(list),
      feedback_(std::make_unique<SearchFeedbackControl>(window, name, *this)) {
    ControlHost::addControlFront(window, feedback_.get());
    auto action = std::make_unique<SearchPanelScrollAction>(*this);
    scrollAction_ = action.get();
    list_.setScrollListener(std::move(action));
}

LeftSearchPanel::~LeftSearchPanel() {
    ControlHost::removeControl(window(), feedback_.get());
    if (list_.scrollListener() == scrollAction_)
        list_.setScrollListener(nullptr);
}

void LeftSearchPanel::layout(const Rect& reference) {
    LightControl::layout(reference);
    letters_ = getText(u"indexletter");
    stripImage_ = platform::Surface();
    letterHeight_ = letters_.empty() ? 0.0f
                                     : static_cast<float>(indexBox().height()) /
                                           static_cast<float>(letters_.size());
}

void LeftSearchPanel::reloadSettings() {
    LightControl::reloadSettings();
    feedback_->reloadSettings();
    stripImage_ = platform::Surface();
}

Rect LeftSearchPanel::indexBox() {
    return getBox(u"index.box", indexBoxSlot).rectangle(rect());
}

Rect LeftSearchPanel::cell(int index) {
    Rect box = indexBox();
    return {box.left, box.top + static_cast<int>(static_cast<float>(index) * letterHeight_),
            box.right, box.top + static_cast<int>(static_cast<float>(index + 1) * letterHeight_)};
}

void LeftSearchPanel::buildStrip() {
    stripImage_ = platform::Surface(rect().width(), rect().height());
    PaintContext local{stripImage_, stripImage_.width(), stripImage_.height(), 0};
    const Rect bounds = stripImage_.bounds();
    const int dx = -rect().left;
    const int dy = -rect().top;
    drawBackground(local, getBackground(u"background", backgroundSlot), bounds, bounds);
    const Font& font = getFont(u"indexletter.font", letterFontSlot);
    for (size_t i = 0; i < letters_.size(); ++i)
        font.drawText(stripImage_, std::u16string_view(&letters_[i], 1),
                      cell(static_cast<int>(i)).offsetBy(dx, dy), letterFormat, bounds);
}

char16_t LeftSearchPanel::listLetter() const {
    IListItem* middle = list_.hitTest(list_.rect().height() / 2);
    return middle ? middle->indexLetter() : 0;
}

void LeftSearchPanel::onListScrolled() {
    if (listLetter() != currentLetter_)
        invalidate(rect());
}

int LeftSearchPanel::paint(PaintContext& context, Rect clip) {
    Rect visible = rect().intersected(clip);
    if (visible.isEmpty())
        return 0;
    if (stripImage_.isEmpty())
        buildStrip();
    platform::Painter painter(context.surface);
    painter.setClip(visible);
    painter.copy(stripImage_, stripImage_.bounds(), {rect().left, rect().top});
    currentLetter_ = listLetter();
    size_t at = currentLetter_ ? letters_.find(currentLetter_) : std::u16string::npos;
    if (at != std::u16string::npos) {
        Rect marked = cell(static_cast<int>(at));
        drawBackground(context, getBackground(u"marker.background", markerBackgroundSlot), marked,
                       visible);
        getFont(u"marker.font", markerFontSlot)
            .drawText(context.surface, std::u16string_view(&letters_[at], 1), marked, letterFormat,
                      visible);
    }
    return 1;
}

Rect LeftSearchPanel::bubbleRect() {
    Rect client = platform::clientRect(window());
    int half = bubbleHalfHeight(client.width());
    return getBox(u"feedback.box", feedbackBoxSlot)
        .rectangle({0, markerY_ - half, client.width(), markerY_ + half});
}

Rect LeftSearchPanel::moveTo(int y) {
    if (letters_.empty() || letterHeight_ <= 0)
        return {};
    const int top = indexBox().top;
    int index = static_cast<int>(std::floor(static_cast<float>(y - top) / letterHeight_));
    index = std::clamp(index, 0, static_cast<int>(letters_.size()) - 1);
    touchLetter_ = letters_[static_cast<size_t>(index)];
    markerY_ = static_cast<int>(static_cast<float>(index) * letterHeight_ + letterHeight_ * 0.5f +
                                static_cast<float>(top));
    Rect before = feedbackRect_;
    feedbackRect_ = bubbleRect();
    feedback_->setRect(feedbackRect_);
    return before.united(feedbackRect_);
}

Rect LeftSearchPanel::onStylusDown(int x, int y) {
    if (y < rect().top || y >= rect().bottom)
        return {};
    // Both screen edges act as the strip, so a thumb on either side reaches it.
    const Rect client = platform::clientRect(window());
    bool onStrip = x >= rect().left && x < rect().right;
    bool nearLeft = x < client.left + getInt(u"leftborder", leftBorderSlot);
    bool nearRight = x >= client.right - getInt(u"rightborder", rightBorderSlot);
    if (!onStrip && !nearLeft && !nearRight)
        return {};
    Rect dirty = moveTo(y);
    if (dirty.isEmpty())
        return {};
    active_ = true;
    return dirty.united(rect());
}

Rect LeftSearchPanel::onStylusMove(int, int y) {
    if (!active_)
        return {};
    return moveTo(y);
}

Rect LeftSearchPanel::onStylusUp(int, int) {
    if (!active_)
        return {};
    active_ = false;
    Rect dirty = feedbackRect_.united(rect());
    // The repaint of the bubble's place is asked for before the jump, which animates.
    invalidate(dirty);
    ControlHost::key(window(), SmartListControl::letterKey, touchLetter_);
    return dirty;
}

void LeftSearchPanel::paintFeedback(PaintContext& context, const Rect& clip) {
    if (!active_)
        return;
    Rect bubble = bubbleRect();
    if (bubble.intersected(clip).isEmpty())
        return;
    drawBackground(context, getBackground(u"feedback.background", feedbackBackgroundSlot), bubble,
                   clip);
    Rect textBox = getBox(u"feedback.text.box", feedbackTextBoxSlot).rectangle(bubble);
    getFont(u"feedback.font", feedbackFontSlot)
        .drawText(context.surface, std::u16string_view(&touchLetter_, 1), textBox, letterFormat,
                  clip);
}

void LeftSearchPanel::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("letters", std::u16string_view(letters_));
    out.add("current", std::u16string_view(&currentLetter_, currentLetter_ ? 1 : 0));
    out.add("active", active_);
    if (touchLetter_)
        out.add("touch", std::u16string_view(&touchLetter_, 1));
}

SearchFeedbackControl::SearchFeedbackControl(platform::WindowHandle window, std::u16string name,
                                             LeftSearchPanel& panel)
    : LightControl(window, u"searchindex", std::move(name)), panel_(panel) {}

int SearchFeedbackControl::paint(PaintContext& context, Rect clip) {
    if (!panel_.isActive())
        return 0;
    panel_.paintFeedback(context, clip);
    return 1;
}

void SearchFeedbackControl::describe(DumpWriter& out) const {
    LightControl::describe(out);
    out.add("active", panel_.isActive());
    char16_t letter = panel_.touchLetter();
    out.add("letter", std::u16string_view(&letter, letter ? 1 : 0));
}

} // namespace vantrel
