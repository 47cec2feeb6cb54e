#pragma once
// The symbol pad: a row of four more buttons over the icon bar (the phone's classic
// contacts, options, minimise, close), opened by a long press on the phone button over
// a shaded screen. It lives only until one of its buttons ran: each button's command is
// wrapped so that the pad goes away afterwards.

#include "ui/Action.h"
#include "ui/ContainerPanel.h"

#include <memory>

namespace vantrel {

class IconPanel;

class SymbolPadContainer : public ContainerPanel {
public:
    explicit SymbolPadContainer(platform::WindowHandle window);

    // Shades its own rectangle toward "shadowcolor", then draws "background" and the
    // buttons.
    int paint(PaintContext& context, platform::Rect clip) override;
    // A point above or below the row counts as on its edge, so a finger that strays
    // off the row still tracks the button under it.
    platform::Rect onStylusDown(int x, int y) override;
    platform::Rect onStylusMove(int x, int y) override;
    platform::Rect onStylusUp(int x, int y) override;
    platform::Rect onStylusRelease(int x, int y) override;

    // Blends every pixel of `area` halfway toward the pad's "shadowcolor".
    void shade(platform::Surface& surface, const platform::Rect& area);

private:
    int clampY(int y) const;
};

// Runs the wrapped command, then takes the symbol pad away.
class SymbolDeleteProxyAction : public Action {
public:
    SymbolDeleteProxyAction(std::unique_ptr<Action> wrapped, IconPanel& panel)
        : wrapped_(std::move(wrapped)), panel_(panel) {}
    void execute() override;

private:
    std::unique_ptr<Action> wrapped_;
    IconPanel& panel_;
};

// The phone's own contacts application.
class ClassicContactAction : public Action {
public:
    void execute() override;
};

// Minimises the program after the screen faded out.
class IconHideAction : public Action {
public:
    void execute() override;
};

// Ends the program (exit code 0) after the screen faded out.
class CloseAction : public Action {
public:
    void execute() override;
};

} // namespace vantrel
