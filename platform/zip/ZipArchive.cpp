#include "platform/zip/ZipArchive.h"

#include "platform/core/Utf.h"

#include <minizip/unzip.h>

#include <atomic>
#include <fstream>

namespace vantrel::platform {

namespace {

std::atomic<ZipResult> lastResult{ZipResult::Ok};

bool record(ZipResult result) {
    lastResult.store(result);
    return result == ZipResult::Ok;
}

char foldName(char c) {
    if (c == '\\')
        return '/';
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string foldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        c = foldName(c);
    return folded;
}

// NOTE: an archive may list any number of entries in its central directory; the index
// takes this many, far beyond any theme, and the rest cannot be found.
constexpr size_t maxIndexedEntries = 1u << 16;

// The current entry's header and its name as raw bytes.
bool currentEntry(unzFile zip, unz_file_info64& info, std::string& name) {
    // Zip names have a 16-bit length.
    char buffer[65536];
    if (unzGetCurrentFileInfo64(zip, &info, buffer, sizeof buffer, nullptr, 0, nullptr, 0) !=
        UNZ_OK)
        return false;
    name.assign(buffer, std::min<size_t>(info.size_filename, sizeof buffer - 1));
    return true;
}

} // namespace

ZipResult lastZipResult() {
    return lastResult.load();
}

bool isSafeZipEntryName(std::string_view name) {
    if (name.empty() || name.find('\0') != std::string_view::npos)
        return false;
    if (name[0] == '/' || name[0] == '\\' || (name.size() >= 2 && name[1] == ':'))
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        if (name.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

std::unique_ptr<ZipArchive> ZipArchive::open(const std::filesystem::path& file) {
    if (file.empty()) {
        record(ZipResult::NoArchive);
        return nullptr;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) || !std::ifstream(file, std::ios::binary)) {
        record(ZipResult::CannotOpen);
        return nullptr;
    }
    unzFile handle = unzOpen64(file.c_str());
    if (!handle) {
        record(ZipResult::NotAnArchive);
        return nullptr;
    }
    record(ZipResult::Ok);
    return std::unique_ptr<ZipArchive>(new ZipArchive(handle));
}

struct ZipArchive::IndexedEntry {
    unz64_file_pos position{};
    std::string name; // as the archive spells it
};

ZipArchive::ZipArchive(void* handle) : handle_(handle) {}

ZipArchive::~ZipArchive() {
    unzClose(handle_);
}

bool ZipArchive::locate(std::u16string_view name) {
    located_ = false;
    currentName_.clear();
    const std::string wanted = toUtf8(name);
    if (!isSafeZipEntryName(wanted))
        return record(ZipResult::UnsafeName);
    buildIndex();
    auto found = index_->find(foldedName(wanted));
    if (found == index_->end() || unzGoToFilePos64(handle_, &found->second.position) != UNZ_OK)
        return record(ZipResult::EntryNotFound);
    located_ = true;
    currentName_ = toUtf16(found->second.name);
    return record(ZipResult::Ok);
}

void ZipArchive::buildIndex() {
    if (index_)
        return;
    // One pass over the central directory, so a lookup (a theme names an image on
    // every line that uses it, hits and misses alike) costs a hash, not a scan. The
    // first of several entries whose names fold alike wins, as a scan would find it.
    index_ = std::make_unique<std::unordered_map<std::string, IndexedEntry>>();
    unz_file_info64 info;
    std::string entry;
    for (int status = unzGoToFirstFile(handle_);
         status == UNZ_OK && index_->size() < maxIndexedEntries; status = unzGoToNextFile(handle_)) {
        IndexedEntry indexed;
        if (currentEntry(handle_, info, entry) &&
            unzGetFilePos64(handle_, &indexed.position) == UNZ_OK) {
            indexed.name = entry;
            index_->try_emplace(foldedName(entry), std::move(indexed));
        }
    }
}

bool ZipArchive::readCurrent(std::string& out) {
    out.clear();
    if (!located_)
        return record(ZipResult::EntryNotFound);
    unz_file_info64 info;
    std::string name;
    if (!currentEntry(handle_, info, name))
        return record(ZipResult::Damaged);
    // Bit 0 of the flags marks an encrypted entry; themes are never encrypted.
    if (info.flag & 1)
        return record(ZipResult::Damaged);
    if (info.uncompressed_size > kMaxZipEntrySize)
        return record(ZipResult::TooLarge);
    if (unzOpenCurrentFile(handle_) != UNZ_OK)
        return record(ZipResult::Damaged);
    // The declared size is only a hint (it was checked against the cap above); the loop
    // enforces the cap on what actually comes out.
    out.reserve(info.uncompressed_size);
    char chunk[65536];
    ZipResult result = ZipResult::Ok;
    for (;;) {
        int n = unzReadCurrentFile(handle_, chunk, sizeof chunk);
        if (n < 0) {
            result = ZipResult::Damaged;
            break;
        }
        if (n == 0)
            break;
        if (out.size() + n > kMaxZipEntrySize) {
            result = ZipResult::TooLarge;
            break;
        }
        out.append(chunk, n);
    }
    // Closing checks the checksum once the whole entry has been read.
    const int closed = unzCloseCurrentFile(handle_);
    if (result == ZipResult::Ok && (closed != UNZ_OK || out.size() != info.uncompressed_size))
        result = ZipResult::Damaged;
    if (result != ZipResult::Ok)
        out.clear();
    return record(result);
}

bool ZipArchive::read(std::u16string_view name, std::string& out) {
    out.clear();
    return locate(name) && readCurrent(out);
}

std::vector<std::u16string> ZipArchive::entryNames() {
    std::vector<std::u16string> names;
    located_ = false;
    unz_file_info64 info;
    std::string entry;
    for (int status = unzGoToFirstFile(handle_); status == UNZ_OK;
         status = unzGoToNextFile(handle_))
        if (currentEntry(handle_, info, entry))
            names.push_back(toUtf16(entry));
    record(ZipResult::Ok);
    return names;
}

} // namespace vantrel::platform
