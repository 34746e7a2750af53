#include "platform/qt/qt_open_file_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

#include "platform/scoped_value.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik {

namespace {

// One of the catalogue's texts, with `part` in place of its {1}.
QString catalogueText(std::string_view text, const QString& part = {}) {
    return QString::fromStdString(failure_text::filled(text, {part.toStdString()}));
}

// The type, size and date columns in Bulgarian whatever the environment's locale: Qt's file
// model writes them in the system locale's language and forms, not in the application's.
class BulgarianFileColumns final : public QIdentityProxyModel {
public:
    enum Column { kName, kSize, kType, kModified };

    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr || index.column() == kName) {
            return QIdentityProxyModel::data(index, role);
        }
        const QFileInfo file = files->fileInfo(mapToSource(index));
        const QLocale bulgarian(QLocale::Bulgarian, QLocale::Bulgaria);
        switch (index.column()) {
            case kSize:
                // as Windows shows sizes: whole kilobytes, rounded up
                return file.isFile()
                           ? catalogueText(texts::kSizeInKb,
                                           bulgarian.toString((file.size() + 1023) / 1024))
                           : QString();
            case kType:
                if (file.isDir()) {
                    return catalogueText(texts::kFolderType);
                }
                return file.suffix().isEmpty()
                           ? catalogueText(texts::kFileType)
                           : catalogueText(texts::kFileOfType, file.suffix().toUpper());
            case kModified:
                return bulgarian.toString(file.lastModified(),
                                          catalogueText(texts::kModifiedFormat));
            default:
                return QIdentityProxyModel::data(index, role);
        }
    }
};

}  // namespace

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
    QFileDialog dialog(parent_);
    configure(dialog);
    dialog.setDirectory(lastFolder_);
    const int answer = [&] {
        const ScopedValue open(open_, QPointer<QFileDialog>(&dialog));
        return dialog.exec();
    }();
    if (answer != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return choose(QString());
    }
    lastFolder_ = dialog.directory().absolutePath();
    return choose(dialog.selectedFiles().constFirst());
}

void QtOpenFileDialog::dismiss() {
    if (open_ != nullptr) {
        open_->reject();
    }
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
    dialog.setProxyModel(new BulgarianFileColumns(&dialog));
    // size, type and date as wide as their widest entry, however the dialog is sized; the
    // names take the rest, so widening the dialog shows long names whole
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(BulgarianFileColumns::kName, QHeaderView::Stretch);
    }
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
