#include "tests/support/TestFolders.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace vantrel::test {

namespace fs = std::filesystem;

namespace {

struct TemporaryRoot {
    fs::path path;
    TemporaryRoot() {
        std::string pattern = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data()))
            path = made;
    }
    ~TemporaryRoot() {
        std::error_code ec;
        if (!path.empty() && !std::getenv("VANTREL_KEEP_TEST_FOLDERS"))
            fs::remove_all(path, ec);
    }
};

TemporaryRoot& root() {
    static TemporaryRoot r;
    return r;
}

} // namespace

fs::path freshFolder(const char* hint) {
    static std::atomic<int> counter{0};
    fs::path folder = root().path / (std::string(hint) + "-" + std::to_string(counter++));
    fs::create_directories(folder);
    return folder;
}

void useFreshDevice() {
    fs::path home = freshFolder("home");
    setenv("VANTREL_HOME", home.c_str(), 1);
    setenv("VANTREL_DEVICE", (home / "device").c_str(), 1);
}

std::optional<fs::path> sharedTestData(const char* name) {
    fs::path candidate = fs::path(VANTREL_SOURCE_DIR) / ".." / "shared" / "testdata" / name;
    std::error_code ec;
    if (fs::exists(candidate, ec))
        return fs::canonical(candidate, ec);
    return std::nullopt;
}

fs::path binaryFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    // Test binaries sit in build/<preset>/tests/<folder>/.
    return self.parent_path().parent_path().parent_path();
}

} // namespace vantrel::test
