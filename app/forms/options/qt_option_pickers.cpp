#include "qt_option_pickers.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace tarvo::options {

namespace {
const QString kExecutables = QStringLiteral("実行ﾌｧｲﾙ(*)");
const QString kAllFiles = QStringLiteral("全てのﾌｧｲﾙ(*)");

class ExecutableFilter : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setExecutablesOnly(bool on) {
        executablesOnly_ = on;
        invalidateFilter();
    }

  protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override {
        if (!executablesOnly_) return true;
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (files == nullptr) return true;
        return ListedAsProgram(files->fileInfo(files->index(row, 0, parent)), true);
    }

  private:
    bool executablesOnly_ = true;
};
} // namespace

bool ListedAsProgram(const QFileInfo &entry, bool executablesOnly) {
    return !executablesOnly || entry.isDir() || entry.isExecutable();
}

std::optional<QString> QtOptionPickers::pickProgram(QWidget *parent, const QString &folder) {
    QFileDialog dialog(parent, QStringLiteral("起動ファイル"), folder);
    dialog.setObjectName(QStringLiteral("dlgStartFile"));
    // The proxy needs Qt's own dialog; the desktop's would ignore it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    auto *filter = new ExecutableFilter(&dialog);
    dialog.setProxyModel(filter);
    dialog.setNameFilters({kExecutables, kAllFiles});
    QObject::connect(&dialog, &QFileDialog::filterSelected, filter,
                     [filter](const QString &f) { filter->setExecutablesOnly(f == kExecutables); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QColor> QtOptionPickers::pickColour(QWidget *parent, const QColor &current) {
    const QColor chosen = QColorDialog::getColor(current, parent);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

} // namespace tarvo::options
