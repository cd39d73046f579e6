#include "platform/qt/qt_folder_chooser.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace calyxa {

QtFolderChooser::QtFolderChooser(SystemRoot root, std::function<QWidget*()> parent)
    : root_(std::move(root)), parent_(std::move(parent)) {}

std::optional<std::string> QtFolderChooser::chooseFolder(const FolderChooserRequest& request) {
  QFileDialog dialog(parent_ ? parent_() : nullptr);
  // Qt's own dialog: a desktop's native one could not carry the message, nor stay above the
  // overlay.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
  dialog.setWindowTitle(QString::fromStdString(request.title));
  dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(request.confirmButtonText));
  dialog.setDirectory(QString::fromStdString(root_.resolve(request.startDirectory).string()));
  dialog.setFileMode(request.canChooseFiles ? QFileDialog::ExistingFile : QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, !request.canChooseFiles);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && !request.message.empty()) {
    auto* message = new QLabel(QString::fromStdString(request.message), &dialog);
    message->setWordWrap(true);
    grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return root_.systemPathOf(dialog.selectedFiles().front().toStdString());
}

}  // namespace calyxa
