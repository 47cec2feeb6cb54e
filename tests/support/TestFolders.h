#pragma once
// Folders for tests: a fresh device per test binary (set up before main runs the
// tests) and the shared corpora beside the repository, which a user's clone lacks.

#include <filesystem>
#include <optional>

namespace vantrel::test {

// A new empty folder below the binary's temporary root, removed at exit.
std::filesystem::path freshFolder(const char* hint = "t");

// Points VANTREL_HOME and VANTREL_DEVICE at new empty folders.
void useFreshDevice();

// ../shared/testdata/<name> when it exists.
std::optional<std::filesystem::path> sharedTestData(const char* name);

// The build's output folder, for tests that start the product's programs.
std::filesystem::path binaryFolder();

} // namespace vantrel::test

// Skips the current test, saying why, when the shared corpus is absent.
#define VT_REQUIRE_SHARED_TESTDATA(var, name)                                                 \
    auto var##_opt = ::vantrel::test::sharedTestData(name);                                   \
    if (!var##_opt)                                                                           \
        GTEST_SKIP() << "shared test data '" << name << "' is absent (not in a user's clone)"; \
    const std::filesystem::path var = *var##_opt
