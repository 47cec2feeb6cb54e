#include "platform/ipc/SharedMemory.h"
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

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
