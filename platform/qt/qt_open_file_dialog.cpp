#include "platform/qt/qt_open_file_dialog.h"

#include <QDir>
#include <QFileInfo>

#include "platform/failure_text.h"

namespace zorvik {

namespace {

std::optional<QString>& nextFileName() {
    static std::optional<QString> next;
    return next;
}

}  // namespace

void QtOpenFileDialog::setNextFileName(std::optional<QString> hostPath) {
    nextFileName() = std::move(hostPath);
}

QStringList QtOpenFileDialog::nameFiltersOf(std::string_view filter) {
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
            .split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters;
}

QtOpenFileDialog::QtOpenFileDialog(QWidget* parent, std::string_view title, std::string_view filter,
                                   WindowsPathOf windowsPathOf)
    : parent_(parent),
      title_(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()))),
      nameFilters_(nameFiltersOf(filter)),
      windowsPathOf_(std::move(windowsPathOf)),
      lastFolder_(QDir::homePath()) {}

Status QtOpenFileDialog::Show() {
    if (auto next = std::exchange(nextFileName(), std::nullopt)) {
        return choose(*next);
    }
    QFileDialog dialog(parent_);
    configure(dialog);
    dialog.setDirectory(lastFolder_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return choose(QString());
    }
    lastFolder_ = dialog.directory().absolutePath();
    return choose(dialog.selectedFiles().constFirst());
}

void QtOpenFileDialog::configure(QFileDialog& dialog) const {
    dialog.setWindowTitle(title_);
    // Qt's own dialog rather than the desktop's, so that it speaks Bulgarian everywhere.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The filter reads "Wav", as designed; the pattern stays out of sight.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(nameFilters_);
}

Status QtOpenFileDialog::choose(const QString& hostPath) {
    fileName_.clear();
    if (hostPath.isEmpty()) {
        return Status::success();
    }
    const std::string host = QFileInfo(hostPath).absoluteFilePath().toStdString();
    auto windowsPath = windowsPathOf_(host);
    if (!windowsPath.ok()) {
        return failure_text::fileChoiceFailed(windowsPath.failure().code, host);
    }
    fileName_ = std::move(windowsPath).value();
    return Status::success();
}

std::string QtOpenFileDialog::FileTitle() const {
    const auto separator = fileName_.find_last_of('\\');
    return separator == std::string::npos ? fileName_ : fileName_.substr(separator + 1);
}

}  // namespace zorvik
