// Feeds arbitrary bytes to the reader of "user-dirs.dirs", a file any program of the
// desktop may write. Nothing may crash; a folder it finds is always absolute.
#include "platform/shell/Programs.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto folder = vantrel::platform::shell::picturesDirFromUserDirs(text, "/home/user");
    if (folder && !folder->is_absolute())
        std::abort();
    return 0;
}
