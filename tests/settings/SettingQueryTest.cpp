#include "settings/SettingQuery.h"
#include "tests/settings/ScreenForTest.h"

#include "platform/core/Paths.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vantrel {
namespace {

class SettingQueryTest : public ::testing::Test {
protected:
    std::string run(std::vector<std::u16string> words) {
        std::string output, error;
        EXPECT_TRUE(runSettingCommand(store, words, output, error)) << error;
        return output;
    }
    std::string fail(std::vector<std::u16string> words) {
        std::string output, error;
        EXPECT_FALSE(runSettingCommand(store, words, output, error));
        EXPECT_FALSE(error.empty());
        return error;
    }
    test::ScreenForTest screen{480, 800};
    SettingStore store;
};

TEST_F(SettingQueryTest, EveryKindPrintsItsResult) {
    store.addLine(u"button.ok.text=Ok");
    store.addLine(u"global.slide.duration=250");
    store.addLine(u"contactlist.*.box=12p,42p,100%,-30p");
    store.addLine(u"header.*.font=20p,bold,Segoe UI,#FF6A00,center,3");
    store.addLine(u"menupanel.*.background=fillalpha(#FFFFFF,180),solidborder(#333333,1)");
    store.addLine(u"a.*.colour=1,2,3");
    store.addLine(u"a.*.on=1");
    store.addLine(u"a.*.friction=1.01");
    EXPECT_EQ(run({u"text", u"button", u"ok", u"text"}), "Ok");
    EXPECT_EQ(run({u"text", u"button", u"cancel", u"text"}), "button.cancel.text");
    EXPECT_EQ(run({u"measure", u"global", u"", u"slide.duration"}), "250");
    EXPECT_EQ(run({u"box", u"contactlist", u"contactlist", u"box", u"0", u"0", u"480", u"800"}),
              "24 84 480 740");
    EXPECT_EQ(run({u"font", u"header", u"main", u"font"}),
              "size=40 weight=700 italic=0 face=\"Segoe UI\" colour=#FF6A00 align=1 indent=3");
    EXPECT_EQ(run({u"background", u"menupanel", u"m", u"background"}),
              "fill=#FFFFFF alpha=180 gradient=- image=- rop=copy left=- right=- top=- bottom=- "
              "corners=-/-/-/- solidborder=#333333/1 outerborder=none/0 topborder=none/0 "
              "bottomborder=none/0 margin=0/0/0/0 padding=0/0/0/0");
    EXPECT_EQ(run({u"colour", u"a", u"x", u"colour"}), "#010203");
    EXPECT_EQ(run({u"flag", u"a", u"x", u"on"}), "1");
    EXPECT_EQ(run({u"number", u"a", u"x", u"friction"}), "1.01");
    EXPECT_EQ(run({u"background", u"x", u"x", u"background"}).substr(0, 12), "fill=#FFFFFF");
}

TEST_F(SettingQueryTest, MalformedCommandsAreRefused) {
    fail({});
    fail({u"text", u"a", u"b"});
    fail({u"shape", u"a", u"b", u"c"});
    fail({u"box", u"a", u"b", u"c"});
    fail({u"box", u"a", u"b", u"c", u"0", u"0", u"x", u"1"});
    fail({u"text", u"a", u"b", u"c", u"d"});
}

TEST_F(SettingQueryTest, LoadingAFileTakesEffectAtOnce) {
    store.addLine(u"label.*.font=10p");
    EXPECT_EQ(run({u"font", u"label", u"a", u"font"}).substr(0, 7), "size=20");
    std::ofstream(platform::programFolder() / "user.ini") << "label.*.font=12p\r\n";
    std::string output, error;
    ASSERT_TRUE(runSettingsLoadCommand(store, {u"user.ini"}, output, error)) << error;
    EXPECT_EQ(run({u"font", u"label", u"a", u"font"}).substr(0, 7), "size=24");
    EXPECT_FALSE(runSettingsLoadCommand(store, {u"absent.ini"}, output, error));
    EXPECT_FALSE(runSettingsLoadCommand(store, {}, output, error));
}

} // namespace
} // namespace vantrel
