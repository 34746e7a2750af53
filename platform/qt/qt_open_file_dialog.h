#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/open_file_dialog.h"

namespace zorvik {

// Qt's own open-file dialog (translated with Qt, the same on every desktop), with the design's
// title and filter. A cancelled dialog reports no file, even after an earlier choice.
class QtOpenFileDialog final : public OpenFileDialog {
public:
    using WindowsPathOf = std::function<Result<std::string>(const std::string& hostPath)>;

    // `filter` in the common dialog's form: "Description|pattern|Description|pattern".
    QtOpenFileDialog(QWidget* parent, std::string_view title, std::string_view filter,
                     WindowsPathOf windowsPathOf);

    Status Show() override;
    std::string FileTitle() const override;
    std::string FileName() const override { return fileName_; }
    void dismiss() override;

    // Gives a dialog the design's title and filter and this program's settings.
    void configure(QFileDialog& dialog) const;

    static QStringList nameFiltersOf(std::string_view filter);

private:
    Status choose(const QString& hostPath);

    QPointer<QWidget> parent_;
    QPointer<QFileDialog> open_;
    QString title_;
    QStringList nameFilters_;
    WindowsPathOf windowsPathOf_;
    QString lastFolder_;
    std::string fileName_;
};

}  // namespace zorvik
