#pragma once
// Writes small zip archives for tests with minizip's writer, and patches their headers to
// make the damaged archives a hostile theme could hold.

#include <minizip/zip.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::test {

struct ZipEntry {
    std::string name; // UTF-8
    std::string content;
};

// Writes `entries` deflated, names flagged as UTF-8; false when minizip refuses.
inline bool writeZip(const std::filesystem::path& file, const std::vector<ZipEntry>& entries) {
    zipFile zip = zipOpen64(file.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const ZipEntry& e : entries) {
        zip_fileinfo info{};
        ok = ok && zipOpenNewFileInZip4(zip, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                        Z_DEFLATED, Z_BEST_SPEED, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                        Z_DEFAULT_STRATEGY, nullptr, 0, 0, 1 << 11) == ZIP_OK;
        // Written in pieces, as minizip takes an unsigned length.
        for (size_t at = 0; ok && at < e.content.size(); at += 1 << 20) {
            size_t n = std::min<size_t>(1 << 20, e.content.size() - at);
            ok =
                zipWriteInFileInZip(zip, e.content.data() + at, static_cast<unsigned>(n)) == ZIP_OK;
        }
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Rewrites the uncompressed size that every local and central header declares.
inline void patchDeclaredSize(const std::filesystem::path& file, uint32_t size) {
    std::string bytes = readBytes(file);
    auto patch = [&](const char* signature, size_t offset) {
        for (size_t at = bytes.find(signature, 0, 4); at != std::string::npos;
             at = bytes.find(signature, at + 4, 4))
            if (at + offset + 4 <= bytes.size())
                std::memcpy(&bytes[at + offset], &size, 4); // little-endian host
    };
    patch("PK\x03\x04", 22);
    patch("PK\x01\x02", 24);
    writeBytes(file, bytes);
}

} // namespace vantrel::test
