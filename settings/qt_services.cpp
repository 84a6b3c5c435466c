#include "settings/qt_services.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStringList>

namespace rv {
namespace {

std::optional<std::string> Run(QWidget* parent, const FileDialogRequest& request,
                               QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, QString::fromStdString(request.caption));
  dialog.setAcceptMode(mode);
  dialog.setNameFilter(QString::fromStdString(request.filter));
  dialog.setDefaultSuffix(QString::fromStdString(request.default_suffix));
  dialog.setFileMode(request.must_exist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirm_overwrite);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (!request.initial_file.empty())
    dialog.selectFile(QString::fromStdString(request.initial_file));
  for (;;) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().front();
    if (!request.confirm_create || QFileInfo::exists(chosen)) return chosen.toStdString();
    const auto answer = QMessageBox::question(
        parent, dialog.windowTitle(),
        chosen + "\nThis file does not exist.\nDo you want to use this name?");
    if (answer == QMessageBox::Yes) return chosen.toStdString();
  }
}

}  // namespace

Result<void> QtProgramStarter::Start(const std::string& program,
                                     const std::vector<std::string>& args) {
  QStringList arguments;
  for (const std::string& arg : args)
    arguments << QString::fromStdString(arg);
  if (!QProcess::startDetached(QString::fromStdString(program), arguments)) {
    return MakeError(program + ": cannot be started");
  }
  return {};
}

std::optional<std::string> QtFileDialogs::Open(const FileDialogRequest& request) {
  return Run(parent_, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtFileDialogs::Save(const FileDialogRequest& request) {
  return Run(parent_, request, QFileDialog::AcceptSave);
}

}  // namespace rv
