// PeImage.h - reads a loaded Windows module's export table and resources back into plain values.
//
// The checks of the plug-in's binary face: what the host sees by name and by
// ordinal, and the raw bytes of its string tables, dialog template and version
// record, decoded here without help from the code that wrote them. Every
// reader copies what it needs out of the module, so the results outlive the
// handle; texts come back as UTF-8.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace peimage {

/// A module loaded for the length of a test, freed on every way out.
class LoadedModule {
public:
    explicit LoadedModule(const std::wstring& path) : handle_(LoadLibraryW(path.c_str())) {}
    ~LoadedModule() {
        if (handle_ != nullptr) FreeLibrary(handle_);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    HMODULE get() const { return handle_; }

private:
    HMODULE handle_;
};

/// The folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();

std::string ToUtf8(const std::wstring& text);

/// The export directory as the loader reads it.
struct ExportTable {
    DWORD ordinalBase = 0;
    DWORD functionCount = 0;
    std::map<std::string, WORD> ordinalOfName; // name -> ordinal (ordinal base added)
};
ExportTable ReadExportTable(HMODULE module);

/// String `id` of the table in `language`, exactly as stored; nothing when the entry is absent or empty.
std::optional<std::string> FindString(HMODULE module, UINT id, LANGID language);

/// One control of an extended dialog template.
struct DialogItem {
    DWORD helpId = 0, exStyle = 0, style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    WORD classAtom = 0;    // a predefined class (0x0080 button ...), or 0 when named
    std::string className; // empty when an atom is used
    std::string text;
    WORD extraBytes = 0;
};

/// An extended dialog template (DLGTEMPLATEEX), with the font fields that DS_SETFONT adds.
struct DialogTemplate {
    WORD version = 0, signature = 0;
    DWORD helpId = 0, exStyle = 0, style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    bool hasMenu = false, hasClass = false;
    std::string title;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::string typeface;
    std::vector<DialogItem> items;
};
/// Dialog `id` in `language`; nothing when the module has no such template or it is not extended.
std::optional<DialogTemplate> FindDialogTemplate(HMODULE module, UINT id, LANGID language);

/// One node of a version record: a key, its value bytes, and the nodes below it.
struct VersionNode {
    std::string key;
    WORD valueType = 0; // 1 for text, 0 for binary
    std::vector<BYTE> value;
    std::vector<VersionNode> children;

    const VersionNode* Child(const std::string& childKey) const;
    /// The value read as UTF-16 text, up to its terminating null.
    std::string Text() const;
};
/// The whole version record (VS_VERSION_INFO) of the module's file, parsed; nothing when it has none.
std::optional<VersionNode> ReadVersionRecord(const std::wstring& path);

} // namespace peimage
