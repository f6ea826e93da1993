#include "prefs/pickers.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QSortFilterProxyModel>

namespace marvessa {

namespace {

// Hides the files that cannot be executed; folders stay so that the
// candidate can move between them.
class TExecutableFiles : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!files) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || (info.isFile() && info.isExecutable());
  }
};

}  // namespace

std::optional<QFont> TQtFontPicker::PickFont(const QFont& initial, QWidget* parent) {
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, initial, parent);
  if (!ok) return std::nullopt;
  return chosen;
}

QString TQtFilePicker::PickExecutable(const QString& current, QWidget* parent) {
  QFileDialog dialog(parent);
  dialog.setOption(QFileDialog::DontUseNativeDialog);  // the filter below needs Qt's own dialog
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter("Executable file (*)");
  dialog.setProxyModel(new TExecutableFiles(&dialog));
  const QFileInfo now(current);
  if (!current.isEmpty() && now.dir().exists()) {
    dialog.setDirectory(now.dir());
    if (now.isFile()) dialog.selectFile(now.fileName());
  } else {
    dialog.setDirectory("/usr/bin");
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().front();
}

}  // namespace marvessa
