#include "ToolkitFixture.h"

#include "ui/Button.h"
#include "ui/CheckButton.h"
#include "ui/ControlDump.h"
#include "ui/HeaderLabel.h"
#include "ui/Label.h"
#include "ui/Panel.h"

namespace vantrel {
namespace {

using test::Toolkit;

class DumpTest : public Toolkit {
protected:
    void SetUp() override {
        Toolkit::SetUp();
        SettingStore& store = SettingStore::instance();
        store.addLine(u"header.contacts.text=Contacts");
        store.addLine(u"button.call.box=0,100,50%,200");
        store.addLine(u"button.call.text=Call \"%s\"");
        store.addLine(u"checkbutton.option.box=0,300,100%,400");
        store.addLine(u"checkbutton.option.text=Line\none");
        contacts = std::make_unique<Panel>(window, u"contacts");
        Button* call = contacts->addChild(std::make_unique<Button>(window, u"call"));
        call->setTextArgument(u"555");
        contacts->addChild(std::make_unique<CheckButton>(window, u"option"))->setChecked(true);
        contacts->addChild(std::make_unique<Label>(window, u"first"));
        contacts->addChild(std::make_unique<Label>(window, u"second"));
        detail = std::make_unique<Panel>(window, u"detail");
        detail->setVisible(false);
        ControlHost::addControl(window, contacts.get());
        ControlHost::addControl(window, detail.get());
        contacts->layout(client);
        detail->layout(client);
        dump = dumpWindow(window);
    }
    std::string valueAt(std::string_view path) const {
        const DumpValue* value = findDumpValue(dump, path);
        return value ? value->toJson() : "<none>";
    }
    std::unique_ptr<Panel> contacts;
    std::unique_ptr<Panel> detail;
    DumpValue dump;
};

TEST_F(DumpTest, TopLevelControlsComeInTheHostsOrderWithTheirState) {
    const DumpValue::Array* controls = dump.member("controls")->asArray();
    ASSERT_EQ(controls->size(), 2u);
    EXPECT_EQ(valueAt("contacts.type"), "\"panel\"");
    EXPECT_EQ(valueAt("contacts.visible"), "true");
    EXPECT_EQ(valueAt("detail.visible"), "false");
    EXPECT_EQ(valueAt("contacts.rect"), "[0,0,480,800]");
}

TEST_F(DumpTest, ChildrenAreFoundByNameOrTypeAndShowTheirTexts) {
    EXPECT_EQ(valueAt("contacts/header.texts").substr(0, 12), "[\"Contacts\",");
    EXPECT_EQ(valueAt("contacts/call.texts"), "[\"Call \\\"555\\\"\"]");
    EXPECT_EQ(valueAt("contacts/call.pressed"), "false");
    EXPECT_EQ(valueAt("contacts/call.rect"), "[0,100,240,200]");
    EXPECT_EQ(valueAt("contacts/option.checked"), "true");
    EXPECT_EQ(valueAt("contacts/option.texts"), "[\"Line\\none\"]");
    EXPECT_EQ(valueAt("contacts/label#1.name"), "\"second\"");
    EXPECT_EQ(valueAt("contacts/label#2.name"), "<none>");
    EXPECT_EQ(valueAt("contacts/header").substr(0, 8), "{\"type\":");
}

TEST_F(DumpTest, PathsThatNameNothingFindNothing) {
    for (const char* path : {"", "missing", "contacts/missing.visible", "contacts.missing",
                             "contacts/call/deeper", "contacts/label#x.name", "contacts/label#"})
        EXPECT_EQ(findDumpValue(dump, path), nullptr) << path;
}

TEST_F(DumpTest, ExpectedValuesMatchAsJsonOrAsBareText) {
    EXPECT_TRUE(dumpValueMatches(*findDumpValue(dump, "contacts.visible"), "true"));
    EXPECT_FALSE(dumpValueMatches(*findDumpValue(dump, "contacts.visible"), "false"));
    EXPECT_TRUE(dumpValueMatches(*findDumpValue(dump, "contacts.rect"), "[0, 0, 480, 800]"));
    EXPECT_TRUE(dumpValueMatches(*findDumpValue(dump, "contacts.name"), "contacts"));
    EXPECT_TRUE(dumpValueMatches(*findDumpValue(dump, "contacts.name"), "\"contacts\""));
    EXPECT_FALSE(dumpValueMatches(*findDumpValue(dump, "contacts.name"), "\"con tacts\""));
}

TEST(DumpValue, TextsAreEscapedAsJson) {
    DumpValue text(std::u16string(u"a\"b\\c\x01\u00e9"));
    EXPECT_EQ(text.toJson(), "\"a\\\"b\\\\c\\u0001\xc3\xa9\"");
    EXPECT_EQ(DumpValue().toJson(), "null");
    EXPECT_EQ(DumpValue(DumpValue::Array{1, true, DumpValue::object()}).toJson(), "[1,true,{}]");
}

} // namespace
} // namespace vantrel
