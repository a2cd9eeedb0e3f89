#include "sites/project.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/codepage.h"
#include "base/degrees.h"
#include "base/paths.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "base/text.h"

namespace {

constexpr char kSignature[] = "SITELST";
constexpr size_t kSignatureSize = 7;

// The old format: a count byte, a 99-entry name directory, then 605-byte record slots.
constexpr int kOldDirectoryEntries = 99;
constexpr int kOldEntrySize = 18;
constexpr int kOldDirectorySize = kOldDirectoryEntries * kOldEntrySize; // 1782
constexpr uintmax_t kOldRecordsStart = 1 + kOldDirectorySize;           // 1783
constexpr uintmax_t kOldRecordSize = 605;
constexpr int kOldMaxObstructions = 10;
constexpr int kOldMaxVertices = 15;

bool IsSignature(const char* bytes) {
    for (size_t i = 0; i < kSignatureSize; ++i)
        if (std::toupper(static_cast<unsigned char>(bytes[i])) != kSignature[i])
            return false;
    return true;
}

bool InOldLengthWindow(unsigned count, uintmax_t length) {
    const uintmax_t low = kOldRecordSize * count + kOldRecordsStart;
    return low <= length && length < low + 256;
}

uintmax_t FileLength(const std::string& path) {
    std::error_code ec;
    const uintmax_t n = std::filesystem::file_size(path, ec);
    return ec ? 0 : n;
}

// A text field of `size` bytes ending at its first zero byte, in the code page, blanks trimmed.
std::string FieldText(const char* field, size_t size) {
    std::string text = DecodeFileText(field, size);
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    TrimBlanks(buffer.data());
    return buffer.data();
}

// A decimal field that may begin with blanks; what does not parse counts as 0.
int WholeNumber(const char* field, size_t size) {
    const std::string text(field, size);
    return std::atoi(text.c_str());
}

double DecimalNumber(const char* field, size_t size) {
    const std::string text(field, size);
    return std::strtod(text.c_str(), nullptr);
}

// One 605-byte old record; false when its markers show it is not a site.
bool ParseOldRecord(const unsigned char* r, const char* entryName, SiteInfo& site) {
    const char* c = reinterpret_cast<const char*>(r);
    if ((c[8] != 'S' && c[8] != 'N') || (c[18] != 'W' && c[18] != 'E') || c[24] != '.' || c[30] != '.')
        return false;
    const std::string letters = ResString(IDS_HEMISPHERE_LETTERS);
    double latitude = static_cast<double>(
        DmsToDegrees(WholeNumber(c, 2), WholeNumber(c + 2, 2), WholeNumber(c + 4, 2), WholeNumber(c + 6, 2)));
    if (letters.size() > 1 && c[8] == letters[1])
        latitude = -latitude;
    double longitude = static_cast<double>(DmsToDegrees(WholeNumber(c + 9, 3), WholeNumber(c + 12, 2),
                                                        WholeNumber(c + 14, 2), WholeNumber(c + 16, 2)));
    if (letters.size() > 2 && c[18] == letters[2])
        longitude = -longitude;

    site = SiteInfo(latitude, longitude, DecimalNumber(c + 19, 8), FieldText(entryName, 17).c_str(),
                    FieldText(c + 32, 60).c_str(), static_cast<float>(DecimalNumber(c + 27, 4)));

    int count = r[134];
    if (count > kOldMaxObstructions)
        count = 0;
    const unsigned char* p = r + 135;
    const unsigned char* end = r + kOldRecordSize;
    for (int i = 0; i < count && p + 2 <= end; ++i) {
        int vertices = static_cast<signed char>(p[0]);
        const int mode = static_cast<signed char>(p[1]);
        if (vertices > kOldMaxVertices || vertices < 0)
            vertices = 0;
        p += 2;
        if (vertices == 0 || p + 3 * vertices > end)
            break;
        Obstruction outline;
        for (int k = 0; k < vertices; ++k, p += 3) {
            const auto azimuth = static_cast<int16_t>(p[0] | (p[1] << 8));
            const auto elevation = static_cast<signed char>(p[2]);
            outline.Add(point<double>(elevation, azimuth));
        }
        CloseOutline(outline, mode == 0);
        site.obstructions.Add(outline);
    }
    return true;
}

} // namespace

project::project() {
    std::string extension = "."; // appended: GCC 12 warns falsely (-Wrestrict) about "." + text
    extension += ResString(IDS_SITE_LIST_EXTENSION);
    path = UniqueProjectFileName(ProgramHome(), extension);
    if (path.empty())
        path = ProgramHome() + ResString(IDS_SITE_LIST_FALLBACK_NAME);
    sites.Add(SiteInfo());
    selection.Add(0);
    CopyBounded(currentName, sites.GetAt(0)->name, sizeof currentName);
}

project::project(const std::string& filePath) : path(filePath) {
    selection.Add(0);
    std::ifstream in(filePath, std::ios::binary);
    if (!in) {
        loadFailed = 1;
        return;
    }
    char head[kSignatureSize]{};
    in.read(head, kSignatureSize);
    const bool isNew = static_cast<size_t>(in.gcount()) == kSignatureSize && IsSignature(head);
    std::memcpy(signature, head, static_cast<size_t>(in.gcount()));
    bool ok;
    if (isNew) {
        ok = ReadNewFormat(in);
    } else {
        in.clear();
        in.seekg(0);
        ok = ReadOldFormat(in, FileLength(filePath));
    }
    if (!ok) {
        loadFailed = 1;
        return;
    }
    // A stored index outside the list would select nothing, or a site other than the one saved.
    if (currentIndex < 0 || currentIndex >= sites.Count())
        currentIndex = 0;
    CopyBounded(currentName, sites.GetAt(currentIndex)->name, sizeof currentName);
}

bool project::ReadNewFormat(std::istream& in) {
    uint16_t index = 0;
    if (!le::GetU16(in, index))
        return false;
    currentIndex = static_cast<int16_t>(index);
    for (;;) {
        SiteInfo site;
        if (!site.Read(in))
            break; // a damaged tail: the complete sites before it stay
        sites.Add(site);
    }
    return sites.Count() > 0;
}

bool project::ReadOldFormat(std::istream& in, uintmax_t length) {
    unsigned char count = 0;
    if (!in.read(reinterpret_cast<char*>(&count), 1) || !InOldLengthWindow(count, length))
        return false;
    char directory[kOldDirectorySize];
    if (!in.read(directory, sizeof directory))
        return false;
    // The directory has room for 99 entries although the count byte can say more.
    const int entries = std::min<int>(count, kOldDirectoryEntries);
    unsigned char record[kOldRecordSize];
    for (int i = 0; i < entries; ++i) {
        const char* entry = directory + i * kOldEntrySize;
        const int slot = static_cast<unsigned char>(entry[17]) & 0x7F;
        const uintmax_t at = kOldRecordsStart + kOldRecordSize * static_cast<uintmax_t>(slot);
        // An entry naming a slot past the end is skipped alone; the entries after it still count.
        if (at + kOldRecordSize > length) {
            ++skippedEntries;
            continue;
        }
        in.clear();
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(record), sizeof record)) {
            ++skippedEntries;
            continue;
        }
        SiteInfo site;
        if (ParseOldRecord(record, entry, site))
            sites.Add(site);
    }
    currentIndex = 0;
    return sites.Count() > 0;
}

int project::FileFormat(const std::string& filePath) {
    std::ifstream in(filePath, std::ios::binary);
    if (!in)
        return -1;
    char head[kSignatureSize]{};
    in.read(head, kSignatureSize);
    const auto got = static_cast<size_t>(in.gcount());
    if (got == kSignatureSize && IsSignature(head))
        return 1;
    if (got == 0)
        return -1;
    return InOldLengthWindow(static_cast<unsigned char>(head[0]), FileLength(filePath)) ? 0 : -1;
}

std::string project::Image(bool* textAsUtf8) const {
    std::ostringstream out(std::ios::binary);
    out.write(kSignature, kSignatureSize);
    le::PutU16(out, static_cast<uint16_t>(currentIndex));
    for (const SiteInfo& site : sites)
        if (!site.Write(out, textAsUtf8))
            break;
    return out ? out.str() : std::string();
}

bool project::Save(const std::string& target, SaveOutcome* outcome, SafeWriteOptions options) const {
    SaveOutcome o;
    const std::string image = Image(&o.textAsUtf8);
    bool ok = false;
    SafeWriter out;
    if (image.empty())
        o.error = ENOMEM;
    else if (!(ok = out.Open(target, options) && out.Write(image) && out.Commit()))
        o.error = out.Error();
    o.linksSplit = ok && out.LinksSplit();
    if (outcome)
        *outcome = o;
    return ok;
}

std::vector<std::string> project::SiteFaults() const {
    std::vector<std::string> lines;
    int position = 0;
    for (const SiteInfo& site : sites) {
        ++position;
        const std::string fault = site.ValueFault();
        if (!fault.empty())
            lines.push_back(
                FormatText(LoadResString(IDS_SITE_FAULT), path.c_str(), position, site.name, fault.c_str()));
    }
    return lines;
}

SiteInfo* project::CurrentSite() {
    if (sites.Count() == 0)
        return nullptr;
    return sites.GetAt(currentIndex >= 0 && currentIndex < sites.Count() ? currentIndex : 0);
}
