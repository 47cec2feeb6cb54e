#pragma once
// Puts the setting values on a chosen screen for the duration of a test.

#include "settings/SettingValue.h"

namespace vantrel::test {

class ScreenForTest {
public:
    ScreenForTest(int width, int height) {
        ScreenMetrics::setSizeSource([=] { return platform::Size{width, height}; });
    }
    ~ScreenForTest() { ScreenMetrics::setSizeSource({}); }
};

} // namespace vantrel::test
