#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>

#include <string>
#include <string_view>

#include "platform/open_file_dialog.h"

namespace zorvik::win32 {

// GetOpenFileNameW with the design's title and filter. The working folder never moves, and a
// cancelled dialog reports no file, even after an earlier choice.
class Win32OpenFileDialog final : public OpenFileDialog {
public:
    // How the dialog is shown and answered: GetOpenFileNameW, unless a test answers in its place.
    using AskForFile = BOOL(WINAPI*)(OPENFILENAMEW* dialog);

    // `filter` in the common dialog's form "Description|pattern|...".
    Win32OpenFileDialog(std::string_view title, std::string_view filter, HWND owner = nullptr,
                        AskForFile askForFile = GetOpenFileNameW);
    void setOwner(HWND owner) { owner_ = owner; }

    Status Show() override;
    std::string FileTitle() const override;
    std::string FileName() const override { return fileName_; }
    void dismiss() override;

    // "Wav|*.wav" as the dialog takes it: L"Wav\0*.wav\0\0".
    static std::wstring filterOf(std::string_view filter);

private:
    std::wstring title_;
    std::wstring filter_;
    HWND owner_;
    AskForFile askForFile_;
    std::string fileName_;
    bool showing_ = false;
};

}  // namespace zorvik::win32
