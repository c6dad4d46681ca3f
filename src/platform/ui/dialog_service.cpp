#include "platform/ui/dialog_service.h"

#include <QFileDialog>
#include <QMessageBox>

#include "platform/ui/paint_manager.h"

namespace velmora::ui {
namespace {

QString FilterText(const FileDialogRequest& request) {
  QStringList parts;
  for (const auto& [description, patterns] : request.filters)
    parts << QString("%1 (%2)").arg(QString::fromStdString(description),
                                    QString::fromStdString(patterns).replace(';', ' '));
  return parts.join(";;");
}

}  // namespace

int QtDialogService::MessageBox(QWidget* parent, const std::string& text,
                                const std::string& caption, UINT type) {
  QMessageBox box(parent);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (type & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  box.setStyleSheet(
      "QMessageBox{background:#1F2126;} QLabel{color:#E6E8EB;min-width:260px;}"
      "QPushButton{background:#2A2D33;color:#E6E8EB;border:1px solid #363A42;"
      "border-radius:3px;min-width:72px;min-height:26px;}"
      "QPushButton:hover{border-color:#7DC8FA;}");
  if ((type & 0xF) == MB_OKCANCEL) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

std::optional<std::string> QtDialogService::FileDialog(QWidget* parent,
                                                       const FileDialogRequest& request) {
  QFileDialog dialog(parent, QString::fromStdString(request.title),
                     QString::fromStdString(request.initial_folder), FilterText(request));
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (request.save) {
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.confirm_overwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog.setFileMode(request.must_exist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  }
  if (!request.default_name.empty()) dialog.selectFile(QString::fromStdString(request.default_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

int ScriptedDialogService::MessageBox(QWidget*, const std::string& text, const std::string& caption,
                                      UINT type) {
  int answer = IDOK;
  if (!message_answers_.empty()) {
    answer = message_answers_.front();
    message_answers_.pop_front();
  }
  // A box with only OK cannot be cancelled.
  if ((type & 0xF) != MB_OKCANCEL) answer = IDOK;
  messages_.push_back({text, caption, type, answer});
  return answer;
}

std::optional<std::string> ScriptedDialogService::FileDialog(QWidget*,
                                                             const FileDialogRequest& request) {
  std::optional<std::string> answer;
  if (!file_answers_.empty()) {
    answer = file_answers_.front();
    file_answers_.pop_front();
  }
  files_.push_back({request, answer});
  return answer;
}

int UiMessageBox(QWidget* parent, const std::string& text, const std::string& caption, UINT type) {
  return CPaintManagerUI::Dialogs().MessageBox(parent, text, caption, type);
}

}  // namespace velmora::ui
