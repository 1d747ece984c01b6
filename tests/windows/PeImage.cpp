// PeImage.cpp - decoding of export directories, string blocks, extended dialog templates and version records.
#include "PeImage.h"

#include <algorithm>
#include <cstring>

namespace peimage {

namespace {

// A forward reader over resource bytes that refuses to run past the end.
class ByteReader {
public:
    ByteReader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }
    std::size_t offset() const { return offset_; }

    template <typename T> T Read() {
        T value{};
        if (!Require(sizeof(T))) return value;
        std::memcpy(&value, data_ + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }

    // A null-terminated UTF-16 text.
    std::wstring ReadText() {
        std::wstring text;
        for (wchar_t ch = Read<WORD>(); ok_ && ch != 0; ch = Read<WORD>()) text += ch;
        return text;
    }

    void AlignTo(std::size_t boundary) {
        const std::size_t aligned = (offset_ + boundary - 1) / boundary * boundary;
        if (Require(aligned - offset_)) offset_ = aligned;
    }

private:
    bool Require(std::size_t count) {
        if (offset_ + count > size_) ok_ = false;
        return ok_;
    }

    const BYTE* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
    bool ok_ = true;
};

// A template's menu, class and control class fields: 0, an ordinal after 0xFFFF, or a text.
struct NameOrOrdinal {
    WORD ordinal = 0;
    std::string text;
    bool present = false;
};

NameOrOrdinal ReadNameOrOrdinal(ByteReader& reader) {
    NameOrOrdinal result;
    const WORD first = reader.Read<WORD>();
    if (first == 0) return result;
    result.present = true;
    if (first == 0xFFFF) {
        result.ordinal = reader.Read<WORD>();
        return result;
    }
    std::wstring text(1, static_cast<wchar_t>(first));
    text += reader.ReadText();
    result.text = ToUtf8(text);
    return result;
}

struct ResourceBytes {
    const BYTE* data = nullptr;
    std::size_t size = 0;
};

ResourceBytes FindResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, LANGID language) {
    HRSRC info = FindResourceExW(module, type, name, language);
    if (info == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, info);
    if (loaded == nullptr) return {};
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, info)};
}

DialogItem ReadDialogItem(ByteReader& reader) {
    DialogItem item;
    reader.AlignTo(4);
    item.helpId = reader.Read<DWORD>();
    item.exStyle = reader.Read<DWORD>();
    item.style = reader.Read<DWORD>();
    item.x = reader.Read<std::int16_t>();
    item.y = reader.Read<std::int16_t>();
    item.cx = reader.Read<std::int16_t>();
    item.cy = reader.Read<std::int16_t>();
    item.id = reader.Read<DWORD>();
    const NameOrOrdinal windowClass = ReadNameOrOrdinal(reader);
    item.classAtom = windowClass.ordinal;
    item.className = windowClass.text;
    item.text = ReadNameOrOrdinal(reader).text;
    item.extraBytes = reader.Read<WORD>();
    return item;
}

// Version record nodes: length, value length, type, key, padding, value, padding, children.
VersionNode ReadVersionNode(const BYTE* data, std::size_t size, bool& ok) {
    VersionNode node;
    ByteReader reader(data, size);
    const WORD length = reader.Read<WORD>();
    const WORD valueLength = reader.Read<WORD>();
    node.valueType = reader.Read<WORD>();
    node.key = ToUtf8(reader.ReadText());
    reader.AlignTo(4);
    if (!reader.ok() || length > size || length < reader.offset()) {
        ok = false;
        return node;
    }
    // A text value's length counts UTF-16 units, a binary one's bytes.
    const std::size_t valueBytes = node.valueType == 1 ? valueLength * 2u : valueLength;
    const std::size_t valueStart = reader.offset();
    if (valueStart + valueBytes > length) {
        ok = false;
        return node;
    }
    node.value.assign(data + valueStart, data + valueStart + valueBytes);
    std::size_t childStart = (valueStart + valueBytes + 3) / 4 * 4;
    while (ok && childStart + 6 <= length) {
        WORD childLength = 0;
        std::memcpy(&childLength, data + childStart, sizeof childLength);
        if (childLength == 0 || childStart + childLength > length) {
            ok = false;
            break;
        }
        node.children.push_back(ReadVersionNode(data + childStart, childLength, ok));
        childStart = (childStart + childLength + 3) / 4 * 4;
    }
    return node;
}

} // namespace

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

ExportTable ReadExportTable(HMODULE module) {
    ExportTable table;
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.VirtualAddress == 0) return table;
    const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    table.ordinalBase = directory->Base;
    table.functionCount = directory->NumberOfFunctions;
    const auto* names = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const WORD*>(base + directory->AddressOfNameOrdinals);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
        const char* name = reinterpret_cast<const char*>(base + names[i]);
        table.ordinalOfName[name] = static_cast<WORD>(ordinals[i] + directory->Base);
    }
    return table;
}

std::optional<std::string> FindString(HMODULE module, UINT id, LANGID language) {
    // Strings live in blocks of sixteen, block n holding ids 16(n-1) to 16(n-1)+15,
    // each entry a UTF-16 length followed by that many units.
    const ResourceBytes block =
        FindResourceBytes(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), language);
    if (block.data == nullptr) return std::nullopt;
    ByteReader reader(block.data, block.size);
    for (UINT index = 0; index < 16 && reader.ok(); ++index) {
        const WORD length = reader.Read<WORD>();
        std::wstring text;
        for (WORD i = 0; i < length; ++i) text += static_cast<wchar_t>(reader.Read<WORD>());
        if (index == id % 16) {
            if (!reader.ok() || length == 0) return std::nullopt;
            return ToUtf8(text);
        }
    }
    return std::nullopt;
}

std::optional<DialogTemplate> FindDialogTemplate(HMODULE module, UINT id, LANGID language) {
    const ResourceBytes bytes = FindResourceBytes(module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), language);
    if (bytes.data == nullptr) return std::nullopt;
    ByteReader reader(bytes.data, bytes.size);
    DialogTemplate dialog;
    dialog.version = reader.Read<WORD>();
    dialog.signature = reader.Read<WORD>();
    if (dialog.version != 1 || dialog.signature != 0xFFFF) return std::nullopt;
    dialog.helpId = reader.Read<DWORD>();
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    const WORD itemCount = reader.Read<WORD>();
    dialog.x = reader.Read<std::int16_t>();
    dialog.y = reader.Read<std::int16_t>();
    dialog.cx = reader.Read<std::int16_t>();
    dialog.cy = reader.Read<std::int16_t>();
    dialog.hasMenu = ReadNameOrOrdinal(reader).present;
    dialog.hasClass = ReadNameOrOrdinal(reader).present;
    dialog.title = ToUtf8(reader.ReadText());
    if ((dialog.style & DS_SETFONT) != 0) {
        dialog.pointSize = reader.Read<WORD>();
        dialog.weight = reader.Read<WORD>();
        dialog.italic = reader.Read<BYTE>();
        dialog.charset = reader.Read<BYTE>();
        dialog.typeface = ToUtf8(reader.ReadText());
    }
    for (WORD i = 0; i < itemCount && reader.ok(); ++i) dialog.items.push_back(ReadDialogItem(reader));
    if (!reader.ok()) return std::nullopt;
    return dialog;
}

const VersionNode* VersionNode::Child(const std::string& childKey) const {
    for (const VersionNode& child : children) {
        if (child.key == childKey) return &child;
    }
    return nullptr;
}

std::string VersionNode::Text() const {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
        const auto unit = static_cast<wchar_t>(value[i] | (value[i + 1] << 8));
        if (unit == 0) break;
        text += unit;
    }
    return ToUtf8(text);
}

std::optional<VersionNode> ReadVersionRecord(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return std::nullopt;
    bool ok = true;
    WORD length = 0;
    std::memcpy(&length, data.data(), sizeof length);
    VersionNode root = ReadVersionNode(data.data(), std::min<std::size_t>(length, size), ok);
    if (!ok) return std::nullopt;
    return root;
}

} // namespace peimage
