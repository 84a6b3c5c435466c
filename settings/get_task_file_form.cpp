#include "settings/get_task_file_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <filesystem>

#include "common/task_list.h"
#include "platform/message_box.h"
#include "settings/file_dialogs.h"
#include "settings/task_file_choice.h"

namespace rv {
namespace {
constexpr const char* kFilter = "Runvane Taskfile (*.rvd);;All files (*)";
}

TfrmGetTaskFile::TfrmGetTaskFile(MessageBox& messages, FileDialogs& dialogs, QWidget* parent)
    : QDialog(parent), message_box_(messages), dialogs_(dialogs) {
  setWindowTitle("Task File Not Found");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);

  auto* picture = new QLabel(this);
  picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  auto* texts = new QVBoxLayout;
  texts->addWidget(new QLabel("Runvane cannot open or locate a task file.", this));
  texts->addWidget(new QLabel("Please select an action:", this));
  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addLayout(texts, 1);

  comNew = new QPushButton("Create a New Task File", this);
  comOpen = new QPushButton("Open an Existing Task File", this);
  comCancel = new QPushButton("&Close", this);
  comNew->setDefault(true);
  connect(comNew, &QPushButton::clicked, this, [this] { comNewClick(); });
  connect(comOpen, &QPushButton::clicked, this, [this] { comOpenClick(); });
  connect(comCancel, &QPushButton::clicked, this, [this] { comCancelClick(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(comNew);
  layout->addWidget(comOpen);
  layout->addWidget(comCancel);
}

int TfrmGetTaskFile::exec() {
  result_.clear();
  return QDialog::exec();
}

void TfrmGetTaskFile::comNewClick() {
  const std::optional<std::string> path =
      dialogs_.Save(FileDialogRequest{"New Task File", kFilter, "rvd", false, true});
  if (path) {
    result_ = std::filesystem::absolute(*path).string();
    if (rv::Result<void> created = CreateEmptyTaskFile(result_); !created && on_error) {
      on_error(created.error());
    }
  } else {
    result_.clear();
  }
  done(result_.empty() ? QDialog::Rejected : QDialog::Accepted);
}

void TfrmGetTaskFile::comOpenClick() {
  result_.clear();
  for (;;) {
    const std::optional<std::string> path =
        dialogs_.Open(FileDialogRequest{"Open Task File", kFilter, "rvd", true, false});
    if (!path) return;
    if (RVTaskList::IsValidTaskFile(*path)) {
      result_ = std::filesystem::absolute(*path).string();
      accept();
      return;
    }
    message_box_.Show("This is not a valid Runvane4 Task File.", "Invalid file",
                      MessageIcon::Information);
  }
}

void TfrmGetTaskFile::comCancelClick() {
  reject();
}

void TfrmGetTaskFile::reject() {
  // Esc, the close box and "&Close" all give up.
  result_.clear();
  QDialog::reject();
}

}  // namespace rv
