// Moves, all or nothing: one MoveFileExW on one volume; across volumes a copy, and the source
// removed last, with everything put back should a step fail.
#include "platform/failure_text.h"
#include "platform/win32/file_transfer.h"
#include "platform/win32/wide_text.h"

namespace zorvik::win32 {

Status Transfer::move() {
    DWORD error = files_.injectedFault(TransferStep::MoveSameVolume);
    if (error == 0 && !MoveFileExW(sourceWide_.c_str(), destinationWide_.c_str(), kReplace)) {
        error = GetLastError();
    }
    if (error == ERROR_NOT_SAME_DEVICE) {
        return moveAcrossVolumes();
    }
    return error == 0 ? Status::success() : Status(failWithError(error));
}

Status Transfer::moveAcrossVolumes() {
    auto written = writeTemporary();
    if (!written.ok()) {
        return written.failure();
    }
    TemporaryFile temporary = std::move(written).value();
    std::optional<TemporaryFile> kept;
    bool keptByRename = false;
    if (destinationExists_) {
        if (const DWORD fault = files_.injectedFault(TransferStep::SetOldDestinationAside);
            fault != 0) {
            return failWithError(fault);
        }
        const std::wstring aside = temporaryName(destinationFolder_);
        // a hard link keeps the destination in place while it is kept aside
        if (!CreateHardLinkW(aside.c_str(), destinationWide_.c_str(), nullptr)) {
            if (!MoveFileExW(destinationWide_.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
                return failWithError(GetLastError());
            }
            keptByRename = true;
        }
        kept.emplace(aside, Handle());
    }
    if (const DWORD error = renameIntoPlace(temporary.path()); error != 0) {
        if (keptByRename) {
            // never removed, even when it cannot go back: it is the only copy left
            const std::wstring aside = kept->path();
            kept->keep();
            if (!MoveFileExW(aside.c_str(), destinationWide_.c_str(), kReplace)) {
                Failure failure = failWithError(error);
                failure.message = "Файлът " + failure_text::quoted(destination_) +
                                  " не може да бъде заменен (" + reasonOfError(error) +
                                  "), а предишното му съдържание остана във файла " +
                                  failure_text::quoted(toUtf8Lossy(aside)) + ".";
                return failure;
            }
        }
        return failWithError(error);
    }
    temporary.keep();
    DWORD removeError = files_.injectedFault(TransferStep::RemoveSource);
    if (removeError == 0) {
        // a read-only melody moves, as on Windows
        SetFileAttributesW(sourceWide_.c_str(),
                           sourceInfo_.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
        if (!DeleteFileW(sourceWide_.c_str())) {
            removeError = GetLastError();
            SetFileAttributesW(sourceWide_.c_str(), sourceInfo_.dwFileAttributes);
        }
    }
    if (removeError == 0) {
        return Status::success();
    }
    return undoAcrossVolumes(kept, removeError);
}

Status Transfer::undoAcrossVolumes(std::optional<TemporaryFile>& kept, DWORD removeError) {
    SetFileAttributesW(destinationWide_.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool restored =
        kept ? MoveFileExW(kept->path().c_str(), destinationWide_.c_str(), kReplace) != 0
             : DeleteFileW(destinationWide_.c_str()) != 0;
    if (kept) {
        // put back, or else the only copy of what the destination held: never removed
        kept->keep();
    }
    if (!restored) {
        Failure failure = failWithError(removeError);
        failure.message = "Файлът " + failure_text::quoted(source_) +
                          " не може да бъде премахнат (" + reasonOfError(removeError) +
                          "), а предишното съдържание на " + failure_text::quoted(destination_) +
                          " не може да бъде върнато: сега мелодията е и в двете папки.";
        return failure;
    }
    return failWithError(removeError);
}

Status Win32FileSystem::moveFile(std::string_view source, std::string_view destination) {
    Transfer transfer(*this, source, destination, true);
    if (Status checked = transfer.check(); !checked.ok()) {
        return checked;
    }
    return transfer.move();
}

}  // namespace zorvik::win32
