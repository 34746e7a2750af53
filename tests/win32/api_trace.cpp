#include "tests/win32/api_trace.h"

#include <windows.h>

#include <cstring>
#include <string_view>

#include "platform/win32/wide_text.h"

namespace zorvik::testing {

namespace {

std::vector<std::string> recorded;

using Flush = BOOL(WINAPI*)(HANDLE);
using SetInformation = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
Flush realFlush = nullptr;
SetInformation realSetInformation = nullptr;

std::string nameOf(std::wstring_view path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return win32::toUtf8Lossy(separator == std::wstring_view::npos ? path
                                                                   : path.substr(separator + 1));
}

std::string nameOf(HANDLE file) {
    wchar_t path[1024] = {};
    GetFinalPathNameByHandleW(file, path, 1024, FILE_NAME_NORMALIZED);
    return nameOf(std::wstring_view(path));
}

BOOL WINAPI tracedFlush(HANDLE file) {
    const BOOL done = realFlush(file);
    if (done) {
        recorded.push_back("flush " + nameOf(file));
    }
    return done;
}

// FileRenameInfo, and FileRenameInfoEx (22), which MinGW's headers leave out for our target.
BOOL WINAPI tracedSetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information,
                                 DWORD size) {
    const bool posix = static_cast<int>(kind) == 22 &&
                       (*static_cast<const DWORD*>(information) & 0x2) != 0;  // POSIX semantics
    const bool renaming = kind == FileRenameInfo || static_cast<int>(kind) == 22;
    const std::string from = renaming ? nameOf(file) : std::string();
    if (posix) {
        recorded.push_back("asked-posix-rename " + from);
    }
    const BOOL done = realSetInformation(file, kind, information, size);
    if (done && renaming) {
        const auto* rename = static_cast<const FILE_RENAME_INFO*>(information);
        recorded.push_back(
            "rename " + from + " " +
            nameOf(std::wstring_view(rename->FileName, rename->FileNameLength / sizeof(WCHAR))));
    }
    return done;
}

// Points this program's import of `name` at `replacement`; the import it had before.
void* patchImport(const char* name, void* replacement) {
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        auto* byName =
            reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; byName->u1.AddressOfData != 0; ++byName, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(byName->u1.Ordinal)) {
                continue;
            }
            const auto* imported =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + byName->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(imported->Name), name) != 0) {
                continue;
            }
            DWORD protection = 0;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                           &protection);
            void* before = reinterpret_cast<void*>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return before;
        }
    }
    return nullptr;
}

}  // namespace

ApiTrace::ApiTrace() {
    recorded.clear();
    realFlush = reinterpret_cast<Flush>(
        patchImport("FlushFileBuffers", reinterpret_cast<void*>(&tracedFlush)));
    realSetInformation = reinterpret_cast<SetInformation>(
        patchImport("SetFileInformationByHandle", reinterpret_cast<void*>(&tracedSetInformation)));
}

ApiTrace::~ApiTrace() {
    if (!watching()) {
        return;
    }
    patchImport("FlushFileBuffers", reinterpret_cast<void*>(realFlush));
    patchImport("SetFileInformationByHandle", reinterpret_cast<void*>(realSetInformation));
}

const std::vector<std::string>& ApiTrace::calls() const {
    return recorded;
}

bool ApiTrace::watching() const {
    return realFlush != nullptr && realSetInformation != nullptr;
}

}  // namespace zorvik::testing
