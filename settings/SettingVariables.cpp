#include "settings/SettingVariables.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace vantrel {

void SettingVariables::define(std::u16string_view name, std::u16string_view value) {
    auto [at, added] = values_.try_emplace(std::u16string(name), value);
    if (!added)
        at->second = value;
    else
        ++nameLengths_[name.size()];
}

void SettingVariables::clear() {
    values_.clear();
    nameLengths_.clear();
    workLeft_ = totalWork;
    exhaustionReported_ = false;
}

// One substitution: the text built so far, the work spent and the variables being
// substituted (innermost last). Any budget exceeded ends it.
class SettingVariables::Expansion {
public:
    Expansion(const SettingVariables& variables, size_t workAllowed)
        : variables_(variables), workLeft_(workAllowed) {}

    bool append(std::u16string_view text) {
        if (active_.size() > static_cast<size_t>(maxDepth))
            return false;
        size_t i = 0;
        while (i < text.size()) {
            size_t dollar = text.find(u'$', i);
            if (!copy(text.substr(i, dollar == text.npos ? text.npos : dollar - i)))
                return false;
            if (dollar == text.npos)
                return true;
            size_t used = 0;
            if (!substitute(text.substr(dollar), used))
                return false;
            if (used == 0 && !copy(u"$"))
                return false;
            i = dollar + std::max<size_t>(used, 1);
        }
        return true;
    }

    std::u16string takeResult() { return std::move(out_); }
    size_t workLeft() const { return workLeft_; }

private:
    bool spend(size_t work) {
        if (work >= workLeft_) {
            workLeft_ = 0;
            return false;
        }
        workLeft_ -= work;
        return true;
    }

    bool copy(std::u16string_view text) {
        if (out_.size() + text.size() > maxExpandedSize || !spend(text.size()))
            return false;
        out_ += text;
        return true;
    }

    // Substitutes the longest variable name `text` starts with; `used` is its length,
    // 0 when no name matches.
    bool substitute(std::u16string_view text, size_t& used) {
        const auto& lengths = variables_.nameLengths_;
        // Only names that fit in the rest of the text are worth a look-up.
        for (auto it = lengths.lower_bound(text.size()); it != lengths.end(); ++it) {
            size_t length = it->first;
            if (!spend(lookupCost + length))
                return false;
            std::u16string_view name = text.substr(0, length);
            auto found = variables_.values_.find(name);
            if (found == variables_.values_.end())
                continue;
            used = length;
            if (std::find(active_.begin(), active_.end(), name) != active_.end())
                return copy(name);
            active_.push_back(name);
            bool ok = append(found->second);
            active_.pop_back();
            return ok;
        }
        return true;
    }

    const SettingVariables& variables_;
    size_t workLeft_;
    std::u16string out_;
    std::vector<std::u16string_view> active_;
};

std::u16string SettingVariables::expand(std::u16string_view value) {
    if (values_.empty() || value.size() > maxExpandedSize || value.find(u'$') == value.npos)
        return std::u16string(value);
    size_t allowed = std::min(maxWork, workLeft_);
    Expansion expansion(*this, allowed);
    bool done = expansion.append(value);
    workLeft_ -= allowed - expansion.workLeft();
    if (workLeft_ == 0 && !exhaustionReported_) {
        exhaustionReported_ = true;
        std::fprintf(stderr, "settings: the \"$\" variables cost too much to substitute; "
                             "later values keep their text\n");
    }
    return done ? expansion.takeResult() : std::u16string(value);
}

} // namespace vantrel
