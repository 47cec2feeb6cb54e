#pragma once
// The theme and language choosers: a menu of the theme archives or language files of
// the program's folder, and the commands that switch the running program to the one
// chosen. Every screen reloads its look and texts at once; the choice is kept for the
// next start.

#include "platform/core/Window.h"
#include "ui/Action.h"

#include <string>

namespace vantrel {

class ContainerPanel;

// Shows the theme archives over `owner` as the menu "choosetheme"; nothing when the
// folder holds none.
class ThemeMenuAction : public Action {
public:
    explicit ThemeMenuAction(ContainerPanel* owner) : owner_(owner) {}
    void execute() override;

private:
    ContainerPanel* owner_;
};

// The language files as the menu "chooselanguage".
class LanguageMenuAction : public Action {
public:
    explicit LanguageMenuAction(ContainerPanel* owner) : owner_(owner) {}
    void execute() override;

private:
    ContainerPanel* owner_;
};

// Makes one archive the theme of the running program.
class ChooseThemeAction : public Action {
public:
    ChooseThemeAction(platform::WindowHandle window, std::u16string fileName)
        : window_(window), fileName_(std::move(fileName)) {}
    void execute() override;

private:
    platform::WindowHandle window_;
    std::u16string fileName_;
};

// Makes one language file the language of the running program.
class ChooseLanguageAction : public Action {
public:
    ChooseLanguageAction(platform::WindowHandle window, std::u16string fileName)
        : window_(window), fileName_(std::move(fileName)) {}
    void execute() override;

private:
    platform::WindowHandle window_;
    std::u16string fileName_;
};

} // namespace vantrel
