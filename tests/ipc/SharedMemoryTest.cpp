#include "platform/ipc/SharedMemory.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vantrel::platform::ipc::SharedMemory;

TEST(SharedMemory, AnotherProcessOfTheDeviceSeesTheSameBytes) {
    auto block = SharedMemory::create(u"SmsBuffer", 1024);
    ASSERT_TRUE(block);
    ASSERT_GE(block->size(), 1024u);
    EXPECT_EQ(static_cast<const char*>(block->data())[1023], 0) << "new blocks are zeroed";

    pid_t child = fork();
    if (child == 0) {
        auto opened = SharedMemory::open(u"SmsBuffer");
        if (!opened)
            _exit(1);
        std::strcpy(static_cast<char*>(opened->data()), "+4917012345");
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_STREQ(static_cast<const char*>(block->data()), "+4917012345");
    SharedMemory::remove(u"SmsBuffer");
}

TEST(SharedMemory, BlocksOfAnotherDeviceAreApartAndMissingOnesDoNotOpen) {
    auto mine = SharedMemory::create(u"Block", 64);
    ASSERT_TRUE(mine);
    std::strcpy(static_cast<char*>(mine->data()), "mine");

    std::string saved = std::getenv("VANTREL_DEVICE");
    setenv("VANTREL_DEVICE", vantrel::test::freshFolder("other-device").c_str(), 1);
    EXPECT_FALSE(SharedMemory::open(u"Block"));
    auto theirs = SharedMemory::create(u"Block", 64);
    ASSERT_TRUE(theirs);
    EXPECT_STREQ(static_cast<const char*>(theirs->data()), "");
    SharedMemory::remove(u"Block");
    setenv("VANTREL_DEVICE", saved.c_str(), 1);

    EXPECT_STREQ(static_cast<const char*>(mine->data()), "mine");
    SharedMemory::remove(u"Block");
    EXPECT_FALSE(SharedMemory::open(u"Block"));
}

namespace {

// Makes the block's name the way someone else would: another user when the test runs
// as root, else this user with a loose mode or a wrong size.
void plantObject(const std::string& name, uid_t owner, mode_t mode, off_t size) {
    pid_t child = fork();
    if (child == 0) {
        if (owner != geteuid() && setuid(owner) != 0)
            _exit(1);
        umask(0);
        int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, mode);
        _exit(fd >= 0 && ftruncate(fd, size) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "cannot plant " << name;
}

} // namespace

TEST(SharedMemory, ABlockSomeoneElseMadeOrLeftLooseIsRefusedWithTheReason) {
    const std::string name = SharedMemory::posixName(u"SmsBuffer");
    struct Case {
        uid_t owner;
        mode_t mode;
        off_t size;
        std::string reason;
    };
    std::vector<Case> cases = {{geteuid(), 0666, 1024, "has mode 0666, not 0600"},
                               {geteuid(), 0600, 12, "is 12 bytes, not 1024"}};
    // nobody, on every Debian system; only root can become it.
    if (geteuid() == 0)
        cases.push_back({65534, 0666, 1024, "belongs to user 65534, not to 0"});
    else
        std::cerr << "not root: another user's block is left out\n";
    for (const Case& c : cases) {
        plantObject(name, c.owner, c.mode, c.size);
        std::string error;
        EXPECT_FALSE(SharedMemory::create(u"SmsBuffer", 1024, &error)) << c.reason;
        EXPECT_EQ(error, "shared memory " + name + " " + c.reason + "; refusing it");
        // A reader takes the block at any size, but only this user's and only 0600.
        EXPECT_EQ(!SharedMemory::open(u"SmsBuffer"), c.size == 1024) << c.reason;
        shm_unlink(name.c_str());
    }

    // A block this program made is exclusive, 0600 and exactly the size asked for.
    auto block = SharedMemory::create(u"SmsBuffer", 1024);
    ASSERT_TRUE(block);
    struct stat info {};
    int fd = shm_open(name.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fstat(fd, &info), 0);
    close(fd);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(info.st_size, 1024);
    EXPECT_EQ(info.st_uid, geteuid());
    std::string error;
    EXPECT_FALSE(SharedMemory::create(u"SmsBuffer", 2048, &error)) << "sizes differ";
    EXPECT_TRUE(SharedMemory::create(u"SmsBuffer", 1024)) << "the same block again";
    SharedMemory::remove(u"SmsBuffer");
}
