// The contact store shared by several processes of the device, as the program, the
// device tool and the interceptor share it: another process's writes reach the logon
// window as remote notifications; two writers and a reader lose and tear nothing; a
// writer killed at any moment loses nothing it committed and leaves the store readable;
// a broken file is moved aside with a message; the files stay private.
#include "platform/core/Paths.h"
#include "platform/core/Utf.h"
#include "platform/core/Window.h"
#include "platform/pim/ItemCollection.h"
#include "platform/pim/PimApp.h"
#include "platform/pim/PimFolder.h"
#include "platform/pim/PimItem.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace vantrel::platform;
using namespace vantrel::platform::pim;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A writer process whose standard output the test reads, also after killing it.
class Writer {
public:
    explicit Writer(std::vector<std::string> args) {
        args.insert(args.begin(), PIM_WRITER);
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        if (posix_spawn(&pid_, PIM_WRITER, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = out[0];
    }
    ~Writer() {
        if (pid_ > 0)
            kill();
        if (out_ >= 0)
            ::close(out_);
    }
    void kill() {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Blocks until the writer committed its first contact (false when it ended first).
    bool waitForFirstSave() {
        char buffer[4096];
        while (text_.find('\n') == std::string::npos) {
            ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            text_.append(buffer, static_cast<size_t>(n));
        }
        return true;
    }
    // Every object id the writer printed; call after it ended.
    std::vector<Oid> saved() {
        std::string text = text_;
        char buffer[4096];
        for (ssize_t n; (n = ::read(out_, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(n));
        std::vector<Oid> oids;
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
             start = end + 1)
            oids.push_back(static_cast<Oid>(std::stoul(text.substr(start, end - start))));
        return oids;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string text_;
};

class PimProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        vantrel::test::useFreshDevice();
        app = PimApp::create();
    }
    uint32_t count() { return app->getDefaultFolder(folderContacts)->getItems()->count(); }

    std::shared_ptr<PimApp> app;
};

TEST_F(PimProcesses, AnotherProcesssWritesReachTheLogonWindowAsRemoteNotifications) {
    registerClass({u"pimremote", [](WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
                       return defaultWindowProcedure(w, id, wp, lp);
                   }});
    WindowHandle window = createWindow(u"pimremote", u"Pim", Rect{0, 0, 10, 10}, false);
    ASSERT_TRUE(app->logon(window));
    ASSERT_TRUE(app->getDefaultFolder(folderContacts)
                    ->setProps(0, std::vector{PropValue::ofUint32(prop::folderNotifications,
                                                                  notifyLocal | notifyRemote)}));
    // A local write first: it comes as a local message only, at once.
    auto own = app->createItem(itemContact);
    own->setProps(0, std::vector{PropValue::ofString(prop::lastName, u"Own")});
    ASSERT_TRUE(own->save());
    Writer adder({"add", "Remote", "3"});
    ASSERT_EQ(adder.wait(), 0);
    std::vector<Oid> made = adder.saved();
    ASSERT_EQ(made.size(), 3u);
    Writer changer({"set", std::to_string(made[1]), "note", "n", "1"});
    ASSERT_EQ(changer.wait(), 0);
    Writer deleter({"delete", std::to_string(made[2])});
    ASSERT_EQ(deleter.wait(), 0);

    std::vector<std::pair<uint32_t, uintptr_t>> expected{
        {pimItemCreatedLocal, own->oid()}, {pimItemCreatedRemote, made[0]},
        {pimItemCreatedRemote, made[1]},   {pimItemCreatedRemote, made[2]},
        {pimItemChangedRemote, made[1]},   {pimItemDeletedRemote, made[2]}};
    std::vector<std::pair<uint32_t, uintptr_t>> posted;
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (posted.size() < expected.size() && std::chrono::steady_clock::now() < deadline) {
        Message message;
        if (peekMessage(message)) {
            if (message.window == window && message.id >= 0x8100 && message.id <= 0x8107)
                posted.emplace_back(message.id, message.wParam);
        } else {
            std::this_thread::sleep_for(5ms);
        }
    }
    EXPECT_EQ(posted, expected);
    app->logoff();
    destroyWindow(window);
}

TEST_F(PimProcesses, TwoWritersAndAReaderLoseAndTearNothing) {
    auto item = app->createItem(itemContact);
    item->setProps(0, std::vector{PropValue::ofString(prop::lastName, u"Shared")});
    ASSERT_TRUE(item->save());
    Oid shared = item->oid();

    Writer one({"add", "One", "200"}), two({"add", "Two", "200"});
    Writer notes({"set", std::to_string(shared), "note", "note", "100"});
    Writer companies({"set", std::to_string(shared), "company", "company", "100"});
    // Meanwhile every snapshot this process reads is whole: each contact's first name
    // and mobile number were written together, so they always agree.
    uint32_t last = 0;
    const PropId ids[] = {prop::lastName, prop::firstName, prop::mobilePhone};
    std::vector<PropValue> values;
    for (int pass = 0; pass < 20; ++pass) {
        auto items = app->getDefaultFolder(folderContacts)->getItems();
        ASSERT_GE(items->count(), last);
        last = items->count();
        for (uint32_t i = 1; i <= items->count(); ++i) {
            ASSERT_TRUE(items->getProps(i, ids, values));
            if (values[0].text != u"Shared") {
                ASSERT_EQ(values[1].text, values[2].text);
            }
        }
    }
    for (Writer* writer : {&one, &two, &notes, &companies})
        ASSERT_EQ(writer->wait(), 0);
    EXPECT_EQ(count(), 401u);
    std::set<Oid> all;
    for (Writer* writer : {&one, &two})
        for (Oid oid : writer->saved())
            all.insert(oid);
    EXPECT_EQ(all.size(), 400u);
    // Both writers of the shared contact kept their last write.
    const PropId both[] = {prop::note, prop::company};
    app->getItemFromOidEx(shared)->getProps(both, values);
    EXPECT_EQ(values[0].text, u"note99");
    EXPECT_EQ(values[1].text, u"company99");
}

TEST_F(PimProcesses, ALoaderThreadReadsWhileTheInterfaceThreadWritesThroughOneApplication) {
    // One application object used from two threads, as the contact loader and the
    // interface thread use it.
    std::atomic<bool> done{false};
    std::atomic<int> passes{0};
    std::thread loader([&] {
        const PropId ids[] = {prop::oid, prop::fileAs, prop::mobilePhone};
        std::vector<PropValue> values;
        while (!done) {
            auto items = app->getDefaultFolder(folderContacts)->getItems();
            ASSERT_TRUE(items);
            for (uint32_t i = 1; i <= items->count(); ++i) {
                ASSERT_TRUE(items->getProps(i, ids, values));
                // Deleted since the snapshot, or there with the same id.
                if (auto item = app->getItemFromOidEx(values[0].number)) {
                    ASSERT_EQ(item->oid(), values[0].number);
                }
            }
            ++passes;
        }
    });
    for (int i = 0; i < 100; ++i) {
        auto item = app->createItem(itemContact);
        std::u16string name = u"T" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26));
        item->setProps(0, std::vector{PropValue::ofString(prop::lastName, name)});
        ASSERT_TRUE(item->save());
        if (i % 3 == 0) {
            ASSERT_TRUE(item->deleteItem());
        }
    }
    done = true;
    loader.join();
    EXPECT_GT(passes.load(), 0);
    EXPECT_EQ(count(), 66u);
}

TEST_F(PimProcesses, AWriterKilledAtAnyMomentLosesNothingItCommitted) {
    std::mt19937 random(7);
    std::set<Oid> committed;
    for (int round = 0; round < 15; ++round) {
        Writer writer({"add", "Killed" + std::to_string(round), "0"});
        ASSERT_TRUE(writer.waitForFirstSave());
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
        writer.kill();
        for (Oid oid : writer.saved())
            committed.insert(oid);
        // Readable at once, by a new process's connection as by this one.
        auto fresh = PimApp::create();
        auto items = fresh->getDefaultFolder(folderContacts)->getItems();
        ASSERT_TRUE(items) << "round " << round;
        ASSERT_GE(items->count(), committed.size());
    }
    for (Oid oid : committed)
        ASSERT_TRUE(app->getItemFromOidEx(oid)) << oid;
}

TEST_F(PimProcesses, ABrokenStoreIsMovedAsideWithAMessageAndANewOneStarts) {
    {
        auto item = app->createItem(itemContact);
        item->setProps(0, std::vector{PropValue::ofString(prop::lastName, u"Lost")});
        ASSERT_TRUE(item->save());
    }
    // The last user of the store closes it, which moves the journal into the file.
    app.reset();
    fs::path file = deviceFolder() / "contacts.db";
    {
        std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(0);
        out << std::string(4096, 'X');
    }
    testing::internal::CaptureStderr();
    app = PimApp::create();
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("is unreadable"), std::string::npos) << errors;
    EXPECT_NE(errors.find("moved it to"), std::string::npos) << errors;
    EXPECT_EQ(count(), 0u);
    auto fresh = app->createItem(itemContact);
    fresh->setProps(0, std::vector{PropValue::ofString(prop::lastName, u"New")});
    EXPECT_TRUE(fresh->save());
    int broken = 0;
    for (const auto& entry : fs::directory_iterator(deviceFolder()))
        broken += entry.path().filename().string().starts_with("contacts.db.broken-");
    EXPECT_EQ(broken, 1);
}

TEST_F(PimProcesses, StoreFilesArePrivateAndAStoreOfAnotherUserIsRefused) {
    fs::path file = deviceFolder() / "contacts.db";
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(deviceFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    app.reset();
    ::chmod(file.c_str(), 0644);
    app = PimApp::create();
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    if (geteuid() != 0)
        GTEST_SKIP() << "giving the file to another user needs root";
    app.reset();
    ASSERT_EQ(::chown(file.c_str(), 4242, 4242), 0);
    testing::internal::CaptureStderr();
    app = PimApp::create();
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("not a private file of this user"), std::string::npos) << errors;
    EXPECT_FALSE(app->createItem(itemContact)->save());
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4242u); // left alone, not moved aside
}

} // namespace
