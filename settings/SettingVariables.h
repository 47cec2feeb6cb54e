#pragma once
// The "$" variables of the setting store: "$name=value" lines, substituted into the
// values of later lines. A theme, a language file and settings.ini are outside data, so
// substitution has budgets: a value that would grow past maxExpandedSize, or cost more
// than a fixed amount of work (variables that refer to variables that refer to ...),
// keeps its own text instead; and once all values together have cost totalWork, every
// later value keeps its text until the variables are cleared. So no file can make
// loading cost more than a few tens of milliseconds here, however it nests its
// variables or however many lines use them.

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vantrel {

class SettingVariables {
public:
    // A value longer than this, as written or once substituted, is left as written.
    static constexpr size_t maxExpandedSize = 64 * 1024;
    // Work is counted in characters copied; a look-up of a name costs about as much as
    // copying lookupCost characters plus the name. Per value, for all values together,
    // and how deep variables may refer to each other.
    static constexpr size_t lookupCost = 32;
    static constexpr size_t maxWork = 4 * 1024 * 1024;
    static constexpr size_t totalWork = 32 * 1024 * 1024;
    static constexpr int maxDepth = 32;

    // Defines or redefines a variable; `name` keeps its "$". The value is kept as
    // written and substituted each time it is used.
    void define(std::u16string_view name, std::u16string_view value);
    // Forgets every variable and restores the total budget.
    void clear();
    bool empty() const { return values_.empty(); }

    // Replaces every variable name in `value` by its value, in one pass from left to
    // right. Where names overlap the longest defined one wins, so "$red" never eats the
    // start of "$reddish". A variable's value is substituted in turn, except a variable
    // met again inside its own value, which stays as written.
    std::u16string expand(std::u16string_view value);

private:
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::u16string_view text) const {
            return std::hash<std::u16string_view>{}(text);
        }
    };
    class Expansion;

    std::unordered_map<std::u16string, std::u16string, TextHash, std::equal_to<>> values_;
    // How many names of each length exist, longest first: the only lengths worth
    // trying at a "$".
    std::map<size_t, size_t, std::greater<>> nameLengths_;
    size_t workLeft_ = totalWork;
    bool exhaustionReported_ = false;
};

} // namespace vantrel
