#include "contacts/ContactCache.h"

#include "platform/core/Paths.h"
#include "platform/core/Utf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view lineEnd = "\r\n";
constexpr char16_t mu = u'\u00B5';
constexpr int linesPerRecord = 14;

// A value line back to its text: the "#" dropped, the UTF-8 decoded, each backslash and
// "n" a line break, each CR LF pair dropped. ASCII bytes go over as they are; a run of
// other bytes goes through the decoder (an ASCII byte never belongs to a sequence, so
// decoding the runs apart gives what decoding the line whole gives).
std::u16string unescape(std::string_view line) {
    if (!line.empty())
        line.remove_prefix(1);               // the "#"
    std::u16string text(line.size(), u'\0'); // never more units than bytes
    char16_t* to = text.data();
    for (size_t i = 0; i < line.size();) {
        const auto byte = static_cast<unsigned char>(line[i]);
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if (byte >= 0x80) {
            size_t end = i + 1;
            while (end < line.size() && static_cast<unsigned char>(line[end]) >= 0x80)
                ++end;
            const std::u16string run = platform::toUtf16(line.substr(i, end - i));
            to = std::copy(run.begin(), run.end(), to);
            i = end;
        } else if (byte == '\\' && next == 'n') {
            *to++ = u'\n';
            i += 2;
        } else if (byte == '\r' && next == '\n') {
            i += 2;
        } else {
            *to++ = byte;
            ++i;
        }
    }
    text.resize(static_cast<size_t>(to - text.data()));
    return text;
}

// Appends a value's text in UTF-8, each line break (CR LF, or LF alone) written as
// backslash and "n". Runs of ASCII go over as they are; a run of other characters goes
// through the encoder (surrogate pairs stay within one run).
void appendEscapedText(std::string& out, std::u16string_view value) {
    for (size_t i = 0; i < value.size();) {
        size_t end = i;
        while (end < value.size() && value[end] < 0x80 && value[end] != u'\n' &&
               value[end] != u'\r')
            ++end;
        if (end > i) {
            const size_t at = out.size();
            out.resize(at + (end - i));
            std::transform(value.begin() + i, value.begin() + end, out.begin() + at,
                           [](char16_t c) { return static_cast<char>(c); });
            i = end;
        } else if (value[i] == u'\n') {
            out += "\\n";
            ++i;
        } else if (value[i] == u'\r') {
            const bool pair = i + 1 < value.size() && value[i + 1] == u'\n';
            out += pair ? "\\n" : "\r";
            i += pair ? 2 : 1;
        } else {
            while (end < value.size() && value[end] >= 0x80)
                ++end;
            out += platform::toUtf8(value.substr(i, end - i));
            i = end;
        }
    }
}

void appendEscaped(std::string& out, std::u16string_view value) {
    out += '#';
    appendEscapedText(out, value);
    out += lineEnd;
}

void appendNumber(std::string& out, uint32_t value) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, static_cast<int32_t>(value)).ptr;
    out.append(digits, end);
}

// A decimal string-to-long as the old reader did it: leading blanks, a sign, digits up
// to the first other character; nothing gives 0, too many digits saturate.
int64_t leadingNumber(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - u'0'), INT32_MAX + int64_t(1));
    value = negative ? -value : value;
    return std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
}

std::vector<PhoneEntry> parsePhones(std::u16string_view line) {
    std::vector<std::u16string_view> tokens;
    size_t from = 0;
    for (size_t at; (at = line.find(mu, from)) != std::u16string_view::npos; from = at + 1)
        tokens.push_back(line.substr(from, at - from));
    tokens.push_back(line.substr(from)); // the empty piece after the last "µ"
    std::vector<PhoneEntry> phones;
    for (size_t i = 0; i + 1 < tokens.size() && phones.size() < ContactCache::maxPhones; i += 2)
        phones.push_back({std::u16string(tokens[i + 1]),
                          static_cast<uint32_t>(static_cast<int32_t>(leadingNumber(tokens[i])))});
    return phones;
}

// Opens a file only when it is a regular file of this user that nobody else may write:
// the cache decides what the list shows, so a planted file must not.
int openPrivate(const fs::path& file, size_t& size) {
    int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 ||
        static_cast<uint64_t>(info.st_size) > ContactCache::maxFileBytes) {
        ::close(fd);
        return -1;
    }
    size = static_cast<size_t>(info.st_size);
    return fd;
}

} // namespace

fs::path ContactCache::defaultPath() {
    return platform::resolveProgramPath(fileName);
}

ContactCache::Reader::Reader(const fs::path& file) {
    size_t size = 0;
    int fd = openPrivate(file, size);
    if (fd < 0)
        return;
    bytes_.resize(size);
    size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, bytes_.data() + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes_.resize(got);
    rest_ = bytes_;
}

ContactCache::Reader::Reader(std::string bytes) : bytes_(std::move(bytes)), rest_(bytes_) {}

bool ContactCache::Reader::nextLine(std::string_view& line) {
    if (atEnd())
        return false;
    size_t end = rest_.find('\n');
    line = rest_.substr(0, end);
    rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (line.size() > maxLineBytes) {
        broken_ = true;
        return false;
    }
    return true;
}

bool ContactCache::Reader::next(ContactRecord& record) {
    std::string_view line;
    if (rest_.data() == bytes_.data()) {
        // The header must be exactly "v0.15" and end with CR LF.
        if (!rest_.starts_with(std::string(header) + std::string(lineEnd)) || !nextLine(line)) {
            broken_ = true;
            return false;
        }
    }
    if (atEnd())
        return false;
    std::u16string fields[linesPerRecord - 1];
    int read = 0;
    for (; read < linesPerRecord - 1 && nextLine(line); ++read)
        fields[read] = unescape(line);
    // Whole only when data follows line 13: a file cut short drops its last record.
    if (read < linesPerRecord - 1 || atEnd()) {
        broken_ = true;
        return false;
    }
    nextLine(line);
    record = ContactRecord();
    record.objectId = static_cast<uint32_t>(static_cast<int32_t>(leadingNumber(fields[0])));
    record.favorite = leadingNumber(fields[1]) != 0;
    record.sortKey = std::move(fields[2]);
    record.firstLine = std::move(fields[3]);
    record.secondLine = std::move(fields[4]);
    for (int i = 0; i < 3; ++i)
        record.emails[i] = std::move(fields[5 + i]);
    record.header = std::move(fields[8]);
    record.detailLines = std::move(fields[9]);
    record.company = std::move(fields[10]);
    record.city = std::move(fields[11]);
    record.categories = std::move(fields[12]);
    record.phones = parsePhones(unescape(line));
    record.valid = false;
    return true;
}

namespace {

std::vector<ContactRecord> readAll(ContactCache::Reader& reader) {
    std::vector<ContactRecord> records;
    for (ContactRecord record; reader.next(record);)
        records.push_back(std::move(record));
    return records;
}

} // namespace

std::vector<ContactRecord> ContactCache::read(const fs::path& file) {
    Reader reader(file);
    return readAll(reader);
}

std::vector<ContactRecord> ContactCache::parse(std::string_view bytes) {
    Reader reader{std::string(bytes)};
    return readAll(reader);
}

std::string ContactCache::format(const std::vector<const ContactRecord*>& records) {
    std::string out;
    out.reserve(64 + records.size() * 160);
    out += header;
    out += lineEnd;
    for (const ContactRecord* record : records)
        appendRecord(out, *record);
    return out;
}

void ContactCache::appendRecord(std::string& out, const ContactRecord& record) {
    out += '#';
    appendNumber(out, record.objectId);
    out += lineEnd;
    out += record.favorite ? "#1" : "#0";
    out += lineEnd;
    for (const std::u16string* field :
         {&record.sortKey, &record.firstLine, &record.secondLine, &record.emails[0],
          &record.emails[1], &record.emails[2], &record.header, &record.detailLines,
          &record.company, &record.city, &record.categories})
        appendEscaped(out, *field);
    constexpr std::string_view muUtf8 = "\xC2\xB5"; // "µ" in UTF-8
    out += '#';
    for (const PhoneEntry& phone : record.phones) {
        appendNumber(out, phone.propertyId);
        out += muUtf8;
        appendEscapedText(out, phone.number);
        out += muUtf8;
    }
    out += lineEnd;
}

bool ContactCache::write(const fs::path& file, const std::vector<const ContactRecord*>& records) {
    return writeBytes(file, format(records));
}

bool ContactCache::writeBytes(const fs::path& file, std::string_view bytes) {
    fs::path temp = file.parent_path() / tempFileName;
    if (!file.parent_path().empty() && !platform::ensureFolder(file.parent_path()))
        return false;
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = fchmod(fd, 0600) == 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    // On disk before the rename, or a crash could leave an empty file under the name.
    ok = ok && fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), file.c_str()) != 0) {
        // The debugger trace of the phone build; the old cache stays in use.
        std::fputs("Can't replace cache\n", stderr);
        ok = false;
    }
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

} // namespace vantrel
