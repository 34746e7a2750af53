#include "platform/win32/native_files.h"

#include <cstddef>
#include <cstring>

namespace zorvik::win32 {

namespace {

// FILE_RENAME_INFO with its Flags member, as the Ex class reads it.
struct RenameInformation {
    DWORD flags;
    HANDLE rootDirectory;
    DWORD fileNameLength;
    WCHAR fileName[1];
};

struct IoStatus {
    LONG_PTR status;
    ULONG_PTR information;
};

struct NativeText {
    USHORT length;
    USHORT maximumLength;
    PWSTR buffer;
};

struct ObjectAttributes {
    ULONG length;
    HANDLE rootDirectory;
    NativeText* objectName;
    ULONG attributes;
    void* securityDescriptor;
    void* securityQualityOfService;
};

constexpr ULONG kCaseInsensitive = 0x40;         // OBJ_CASE_INSENSITIVE
constexpr ULONG kOpen = 1;                       // FILE_OPEN
constexpr ULONG kCreate = 2;                     // FILE_CREATE
constexpr ULONG kSynchronous = 0x20;             // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kBackupIntent = 0x4000;          // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kOpenReparsePoint = 0x00200000;  // FILE_OPEN_REPARSE_POINT

template <typename Call>
Call fromNtdll(const char* name) {
    return reinterpret_cast<Call>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

DWORD win32ErrorOf(LONG status) {
    using ToWin32Error = ULONG(NTAPI*)(LONG);
    static const auto toError = fromNtdll<ToWin32Error>("RtlNtStatusToDosError");
    return toError != nullptr ? toError(status) : ERROR_GEN_FAILURE;
}

}  // namespace

std::string nameInformation(const std::wstring& name, DWORD flags, HANDLE root) {
    std::string buffer(offsetof(RenameInformation, fileName) + (name.size() + 1) * sizeof(WCHAR),
                       '\0');
    auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
    info->flags = flags;
    info->rootDirectory = root;
    info->fileNameLength = static_cast<DWORD>(name.size() * sizeof(WCHAR));
    std::memcpy(info->fileName, name.c_str(), name.size() * sizeof(WCHAR));
    return buffer;
}

std::wstring nativePath(const std::wstring& path) {
    if (path.rfind(LR"(\\?\)", 0) == 0) {
        return LR"(\??\)" + path.substr(4);
    }
    // the clean-up CreateFileW does before it names a path natively: "..", ".", "/", trailing
    // dots and spaces
    std::wstring full(MAX_PATH, L'\0');
    DWORD written =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (written >= full.size()) {
        full.resize(written);
        written = GetFullPathNameW(path.c_str(), written, full.data(), nullptr);
    }
    full.resize(written < full.size() ? written : 0);
    if (full.empty()) {
        full = path;
    }
    if (full.rfind(LR"(\\)", 0) == 0) {
        return LR"(\??\UNC\)" + full.substr(2);
    }
    return LR"(\??\)" + full;
}

DWORD nameNatively(HANDLE file, NativeNaming kind, HANDLE root, const std::wstring& name,
                   DWORD flags) {
    using SetInformation = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
    static const auto set = fromNtdll<SetInformation>("NtSetInformationFile");
    if (set == nullptr) {
        return ERROR_NOT_SUPPORTED;
    }
    std::string info = nameInformation(name, flags, root);
    IoStatus io{};
    const LONG status =
        set(file, &io, info.data(), static_cast<ULONG>(info.size()), static_cast<int>(kind));
    return status >= 0 ? 0 : win32ErrorOf(status);
}

Handle openNatively(HANDLE root, const std::wstring& name, DWORD access, DWORD share, bool create) {
    using Create = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, ObjectAttributes*, IoStatus*, LARGE_INTEGER*,
                                ULONG, ULONG, ULONG, ULONG, void*, ULONG);
    static const auto open = fromNtdll<Create>("NtCreateFile");
    if (open == nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return Handle();
    }
    std::wstring text = name;
    const auto bytes = static_cast<USHORT>(text.size() * sizeof(WCHAR));
    NativeText object{bytes, bytes, text.data()};
    ObjectAttributes attributes{sizeof(ObjectAttributes), root,    &object,
                                kCaseInsensitive,         nullptr, nullptr};
    HANDLE opened = nullptr;
    IoStatus io{};
    const LONG status =
        open(&opened, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
             create ? kCreate : kOpen,
             kSynchronous | (create ? 0 : kBackupIntent | kOpenReparsePoint), nullptr, 0);
    if (status < 0) {
        SetLastError(win32ErrorOf(status));
        return Handle();
    }
    return Handle(opened);
}

}  // namespace zorvik::win32
