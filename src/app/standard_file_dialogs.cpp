// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/standard_file_dialogs.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "config/main_window_rules.h"

namespace brevora {

namespace {

QStringList Filters(const FileDialogRequest& request) {
  QStringList filters;
  for (const std::string& filter : request.filters) filters << QString::fromStdString(filter);
  return filters;
}

std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                         QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, QString::fromStdString(request.title),
                     QString::fromStdString(request.folder));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                     : QFileDialog::ExistingFile);
  dialog.setNameFilters(Filters(request));
  dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
  if (!request.proposedName.empty())
    dialog.selectFile(QString::fromStdString(request.proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace

std::optional<std::string> StandardFileDialogs::OpenFileName(const FileDialogRequest& request) {
  return RunFileDialog(parent_, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> StandardFileDialogs::SaveFileName(const FileDialogRequest& request) {
  return RunFileDialog(parent_, request, QFileDialog::AcceptSave);
}

std::optional<std::string> StandardFileDialogs::FolderName(const std::string& title,
                                                           const std::string& startFolder) {
  const QString start = QString::fromStdString(FolderFromPicker(startFolder));
  QFileDialog dialog(parent_, QString::fromStdString(title), start);
  dialog.setObjectName(QStringLiteral("folderDialog"));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  auto* field = new QLineEdit(start, &dialog);
  field->setObjectName(QStringLiteral("selectedFolderEdit"));
  field->setReadOnly(true);
  auto* label = new QLabel(QStringLiteral("Selected folder:"), &dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1, 1, grid->columnCount() - 1);
  }
  const auto show = [field](const QString& path) {
    if (!path.isEmpty())
      field->setText(QString::fromStdString(FolderFromPicker(path.toStdString())));
  };
  QObject::connect(&dialog, &QFileDialog::currentChanged, field, show);
  QObject::connect(&dialog, &QFileDialog::directoryEntered, field, show);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace brevora
