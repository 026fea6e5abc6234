#include "common/platform/sim/sim_pe_image.h"

#include <algorithm>
#include <cstring>

namespace plat::sim {

namespace {

// ---- writing ----

void Put16(std::string& out, size_t at, uint32_t v)
{
    out[at] = static_cast<char>(v & 0xff);
    out[at + 1] = static_cast<char>((v >> 8) & 0xff);
}

void Put32(std::string& out, size_t at, uint32_t v)
{
    Put16(out, at, v & 0xffff);
    Put16(out, at + 2, v >> 16);
}

void Append16(std::string& out, uint32_t v)
{
    out.append(2, '\0');
    Put16(out, out.size() - 2, v);
}

void Append32(std::string& out, uint32_t v)
{
    out.append(4, '\0');
    Put32(out, out.size() - 4, v);
}

void AppendText(std::string& out, std::u16string_view text)
{
    for (char16_t c : text) Append16(out, c);
    Append16(out, 0);
}

void PadTo4(std::string& out) { out.append((4 - out.size() % 4) % 4, '\0'); }

// One node of a version resource: length, value length, type, key, value,
// children, each part starting on a 4-byte boundary. The length leaves out the
// padding after the last part.
std::string VersionNode(std::u16string_view key, WORD type, WORD valueLength, const std::string& value,
                        const std::vector<std::string>& children = {})
{
    std::string out;
    Append16(out, 0);
    Append16(out, valueLength);
    Append16(out, type);
    AppendText(out, key);
    if (!value.empty()) {
        PadTo4(out);
        out += value;
    }
    for (const std::string& child : children) {
        PadTo4(out);
        out += child;
    }
    Put16(out, 0, static_cast<uint32_t>(out.size()));
    return out;
}

std::string TextValue(std::u16string_view text)
{
    std::string out;
    AppendText(out, text);
    return out;
}

// "5.1.2600.5512 (xpsp...)" gives 5, 1, 2600, 5512; missing parts are 0.
void NumericVersion(std::u16string_view text, DWORD* ms, DWORD* ls)
{
    DWORD parts[4] = {};
    size_t part = 0;
    for (char16_t c : text) {
        if (c >= u'0' && c <= u'9') {
            parts[part] = parts[part] * 10 + static_cast<DWORD>(c - u'0');
        } else if (c == u'.' && part < 3) {
            ++part;
        } else {
            break;
        }
    }
    *ms = (parts[0] & 0xffff) << 16 | (parts[1] & 0xffff);
    *ls = (parts[2] & 0xffff) << 16 | (parts[3] & 0xffff);
}

std::string HexKey(WORD language, WORD codePage)
{
    static const char digits[] = "0123456789abcdef";
    std::string key;
    for (uint32_t v = static_cast<uint32_t>(language) << 16 | codePage, shift = 28;; shift -= 4) {
        key += digits[(v >> shift) & 0xf];
        if (shift == 0) break;
    }
    return key;
}

std::string VersionResource(const PeImageParts& parts)
{
    DWORD ms = 0, ls = 0;
    for (const VersionStringTable& table : parts.tables) {
        if (table.fileVersion) {
            NumericVersion(*table.fileVersion, &ms, &ls);
            break;
        }
    }
    std::string fixed;
    for (DWORD v : {VS_FFI_SIGNATURE, DWORD{0x00010000}, ms, ls, ms, ls, DWORD{0x3f}, DWORD{0}, DWORD{0x00040004},
                    DWORD{parts.library ? 2u : 1u}, DWORD{0}, DWORD{0}, DWORD{0}}) {
        Append32(fixed, v);
    }

    std::vector<std::string> children;
    std::vector<std::string> tables;
    for (const VersionStringTable& table : parts.tables) {
        std::vector<std::string> strings;
        if (table.fileVersion) {
            strings.push_back(VersionNode(u"FileVersion", 1, static_cast<WORD>(table.fileVersion->size() + 1),
                                          TextValue(*table.fileVersion)));
        }
        strings.push_back(VersionNode(u"ProductName", 1, 6, TextValue(u"Vexlo")));
        const std::string key = HexKey(table.language, table.codePage);
        tables.push_back(VersionNode(std::u16string(key.begin(), key.end()), 1, 0, {}, strings));
    }
    if (!tables.empty()) children.push_back(VersionNode(u"StringFileInfo", 1, 0, {}, tables));
    if (parts.listTranslations) {
        std::string translations;
        for (const VersionStringTable& table : parts.tables) {
            Append16(translations, table.language);
            Append16(translations, table.codePage);
        }
        children.push_back(VersionNode(
            u"VarFileInfo", 1, 0, {},
            {VersionNode(u"Translation", 0, static_cast<WORD>(translations.size()), translations)}));
    }
    return VersionNode(u"VS_VERSION_INFO", 0, static_cast<WORD>(fixed.size()), fixed, children);
}

// ---- reading ----

uint32_t Get16(std::string_view in, size_t at)
{
    return static_cast<uint8_t>(in[at]) | static_cast<uint32_t>(static_cast<uint8_t>(in[at + 1])) << 8;
}

uint32_t Get32(std::string_view in, size_t at) { return Get16(in, at) | Get16(in, at + 2) << 16; }

bool Fits(std::string_view in, uint64_t at, uint64_t count) { return at <= in.size() && count <= in.size() - at; }

struct Section {
    uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// The file offset of `count` bytes at a relative virtual address, when they
// lie in one section's raw data.
std::optional<size_t> RvaToOffset(std::string_view image, const std::vector<Section>& sections, uint32_t rva,
                                  uint32_t count)
{
    for (const Section& s : sections) {
        const uint64_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
        const uint64_t delta = rva - s.virtualAddress;
        if (delta + count > s.rawSize) return std::nullopt;
        const uint64_t offset = s.rawOffset + delta;
        if (!Fits(image, offset, count)) return std::nullopt;
        return static_cast<size_t>(offset);
    }
    return std::nullopt;
}

// Iterates the entries of one resource directory; `wanted` is an id, or any
// entry when absent. Returns the entry's data offset (relative to the
// resource section) and whether it names a subdirectory.
std::optional<std::pair<uint32_t, bool>> DirectoryEntry(std::string_view image, const std::vector<Section>& sections,
                                                        uint32_t resourceRva, uint32_t directoryOffset,
                                                        std::optional<uint32_t> wanted)
{
    const auto dir = RvaToOffset(image, sections, resourceRva + directoryOffset, 16);
    if (!dir) return std::nullopt;
    const uint32_t entries = Get16(image, *dir + 12) + Get16(image, *dir + 14);
    const auto table = RvaToOffset(image, sections, resourceRva + directoryOffset + 16, entries * 8);
    if (!table) return std::nullopt;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t name = Get32(image, *table + i * 8);
        const uint32_t data = Get32(image, *table + i * 8 + 4);
        if (wanted && ((name & 0x80000000u) != 0 || name != *wanted)) continue;
        return std::make_pair(data & 0x7fffffffu, (data & 0x80000000u) != 0);
    }
    return std::nullopt;
}

// One parsed node of a version block, all positions relative to the block.
struct Node {
    size_t start = 0, end = 0;
    WORD valueLength = 0, type = 0;
    std::u16string key;
    size_t value = 0, valueBytes = 0, children = 0;
};

size_t Align4(size_t at) { return (at + 3) & ~static_cast<size_t>(3); }

std::optional<Node> ParseNode(std::string_view block, size_t at, size_t limit)
{
    if (limit > block.size() || at > limit || limit - at < 6) return std::nullopt;
    Node node;
    node.start = at;
    const size_t length = Get16(block, at);
    if (length < 6 || length > limit - at) return std::nullopt;
    node.end = at + length;
    node.valueLength = static_cast<WORD>(Get16(block, at + 2));
    node.type = static_cast<WORD>(Get16(block, at + 4));
    size_t pos = at + 6;
    for (;; pos += 2) {
        if (node.end - pos < 2) return std::nullopt;
        const char16_t c = static_cast<char16_t>(Get16(block, pos));
        if (c == 0) break;
        node.key += c;
    }
    node.value = std::min(Align4(pos + 2), node.end);
    const size_t wantedBytes = node.type == 1 ? size_t{node.valueLength} * 2 : node.valueLength;
    node.valueBytes = std::min(wantedBytes, node.end - node.value);
    node.children = std::min(Align4(node.value + node.valueBytes), node.end);
    return node;
}

bool SameName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

}  // namespace

std::string BuildPeImage(const PeImageParts& parts)
{
    constexpr size_t kPeHeader = 0x80, kOptionalHeader = kPeHeader + 24, kSections = kOptionalHeader + 0xE0;
    constexpr size_t kFileAlignment = 0x200;
    constexpr uint32_t kResourceRva = 0x1000;

    std::string image(kFileAlignment, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, kPeHeader);
    std::memcpy(image.data() + kPeHeader, "PE\0\0", 4);
    Put16(image, kPeHeader + 4, 0x14c);  // i386
    Put16(image, kPeHeader + 6, parts.withVersionResource ? 1 : 0);
    Put16(image, kPeHeader + 20, 0xE0);
    Put16(image, kPeHeader + 22, 0x0102 | (parts.library ? IMAGE_FILE_DLL : 0));
    Put16(image, kOptionalHeader, 0x10b);
    Put32(image, kOptionalHeader + 32, 0x1000);
    Put32(image, kOptionalHeader + 36, kFileAlignment);
    Put32(image, kOptionalHeader + 60, kFileAlignment);
    Put16(image, kOptionalHeader + 68, 2);
    Put32(image, kOptionalHeader + 92, 16);

    if (parts.withVersionResource) {
        const std::string resource = VersionResource(parts);
        const WORD language = parts.tables.empty() ? 0x0409 : parts.tables.front().language;
        // Type directory -> name directory -> language directory -> data entry -> data.
        std::string section(0x58, '\0');
        Put16(section, 0x0E, 1);
        Put32(section, 0x10, 16);
        Put32(section, 0x14, 0x80000000u | 0x18);
        Put16(section, 0x18 + 0x0E, 1);
        Put32(section, 0x18 + 0x10, 1);
        Put32(section, 0x18 + 0x14, 0x80000000u | 0x30);
        Put16(section, 0x30 + 0x0E, 1);
        Put32(section, 0x30 + 0x10, language);
        Put32(section, 0x30 + 0x14, 0x48);
        Put32(section, 0x48, kResourceRva + 0x58);
        Put32(section, 0x4C, static_cast<uint32_t>(resource.size()));
        section += resource;
        const size_t rawSize = (section.size() + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
        const uint32_t virtualSize = static_cast<uint32_t>(section.size());
        section.resize(rawSize, '\0');

        std::memcpy(image.data() + kSections, ".rsrc\0\0\0", 8);
        Put32(image, kSections + 8, virtualSize);
        Put32(image, kSections + 12, kResourceRva);
        Put32(image, kSections + 16, static_cast<uint32_t>(rawSize));
        Put32(image, kSections + 20, kFileAlignment);
        Put32(image, kSections + 36, 0x40000040u);
        Put32(image, kOptionalHeader + 96 + 2 * 8, kResourceRva);
        Put32(image, kOptionalHeader + 96 + 2 * 8 + 4, virtualSize);
        Put32(image, kOptionalHeader + 56, kResourceRva + static_cast<uint32_t>(rawSize));
        image += section;
    } else {
        Put32(image, kOptionalHeader + 56, 0x1000);
    }
    image += parts.body;
    return image;
}

std::string VersionedImage(std::u16string_view fileVersion, std::string_view body)
{
    PeImageParts parts;
    parts.tables.push_back({0x0409, 0x04b0, std::u16string(fileVersion)});
    parts.body = std::string(body);
    return BuildPeImage(parts);
}

VersionResourceLookup FindVersionResource(std::string_view image)
{
    const VersionResourceLookup noResources{std::nullopt, ERROR_RESOURCE_DATA_NOT_FOUND};
    if (!Fits(image, 0, 64) || image[0] != 'M' || image[1] != 'Z') return noResources;
    const uint32_t pe = Get32(image, 0x3C);
    if (!Fits(image, pe, 24) || image.substr(pe, 4) != std::string_view("PE\0\0", 4)) return noResources;
    const uint32_t sectionCount = Get16(image, pe + 6);
    const uint32_t optionalSize = Get16(image, pe + 20);
    const uint64_t optional = uint64_t{pe} + 24;
    if (!Fits(image, optional, 2)) return noResources;
    const uint32_t magic = Get16(image, static_cast<size_t>(optional));
    const uint64_t directories = optional + (magic == 0x20b ? 112 : 96);
    const uint64_t directoryCountAt = optional + (magic == 0x20b ? 108 : 92);
    if ((magic != 0x10b && magic != 0x20b) || !Fits(image, directoryCountAt, 4)) return noResources;
    if (Get32(image, static_cast<size_t>(directoryCountAt)) < 3 || directories + 3 * 8 > optional + optionalSize ||
        !Fits(image, directories + 2 * 8, 8)) {
        return noResources;
    }
    const uint32_t resourceRva = Get32(image, static_cast<size_t>(directories + 2 * 8));
    if (resourceRva == 0) return noResources;

    std::vector<Section> sections;
    const uint64_t table = optional + optionalSize;
    if (!Fits(image, table, uint64_t{sectionCount} * 40)) return noResources;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const size_t at = static_cast<size_t>(table + i * 40);
        sections.push_back({Get32(image, at + 12), Get32(image, at + 8), Get32(image, at + 16), Get32(image, at + 20)});
    }
    if (!RvaToOffset(image, sections, resourceRva, 16)) return noResources;

    const VersionResourceLookup noVersion{std::nullopt, ERROR_RESOURCE_TYPE_NOT_FOUND};
    constexpr uint32_t kRtVersion = 16;
    const auto type = DirectoryEntry(image, sections, resourceRva, 0, kRtVersion);
    if (!type || !type->second) return noVersion;
    const auto name = DirectoryEntry(image, sections, resourceRva, type->first, std::nullopt);
    if (!name || !name->second) return noVersion;
    const auto language = DirectoryEntry(image, sections, resourceRva, name->first, std::nullopt);
    if (!language || language->second) return noVersion;
    const auto entry = RvaToOffset(image, sections, resourceRva + language->first, 8);
    if (!entry) return noVersion;
    const uint32_t dataRva = Get32(image, *entry);
    const uint32_t dataSize = Get32(image, *entry + 4);
    const auto data = RvaToOffset(image, sections, dataRva, dataSize);
    if (!data || dataSize < 6) return noVersion;
    return {std::string(image.substr(*data, dataSize)), 0};
}

bool QueryVersionValue(const void* block, size_t size, std::u16string_view subBlock, const void** value, UINT* length)
{
    const std::string_view bytes(static_cast<const char*>(block), size);
    std::optional<Node> node = ParseNode(bytes, 0, bytes.size());
    if (!node) return false;
    size_t pos = 0;
    while (pos < subBlock.size()) {
        if (subBlock[pos] == u'\\') {
            ++pos;
            continue;
        }
        size_t next = subBlock.find(u'\\', pos);
        if (next == std::u16string_view::npos) next = subBlock.size();
        const std::u16string_view wanted = subBlock.substr(pos, next - pos);
        pos = next;
        std::optional<Node> found;
        for (size_t child = node->children; child < node->end; ) {
            std::optional<Node> candidate = ParseNode(bytes, child, node->end);
            if (!candidate) break;
            if (SameName(candidate->key, wanted)) {
                found = candidate;
                break;
            }
            child = Align4(candidate->end);
        }
        if (!found) return false;
        node = found;
    }
    if (node->start == 0 && node->valueBytes == 0) return false;
    *value = static_cast<const char*>(block) + node->value;
    *length = node->type == 1 ? static_cast<UINT>(node->valueBytes / 2) : static_cast<UINT>(node->valueBytes);
    return true;
}

}  // namespace plat::sim
