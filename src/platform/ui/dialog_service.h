#pragma once
// Message boxes and file dialogs for every window go through one service, so the
// program shows Qt's dialogs while tests and scenario scripts answer them from a
// script and nothing ever waits for a person.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

class QWidget;

namespace velmora::ui {

struct FileDialogRequest {
  bool save = false;
  std::string title;
  // Pairs of description and pattern list, e.g. {"Parameter file", "*.ini"}.
  std::vector<std::pair<std::string, std::string>> filters;
  std::string initial_folder;
  std::string default_name;
  bool must_exist = true;       // open: the file must exist
  bool confirm_overwrite = true;  // save: ask before replacing a file
};

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Returns IDOK or IDCANCEL. `type` combines MB_OK / MB_OKCANCEL and an icon.
  virtual int MessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                         UINT type) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> FileDialog(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
};

// Qt's own dialogs, styled like the console.
class QtDialogService final : public DialogService {
 public:
  int MessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                 UINT type) override;
  std::optional<std::string> FileDialog(QWidget* parent, const FileDialogRequest& request) override;
};

// Records every request and answers with what was programmed, in order. With no
// programmed answer a message box gets OK and a file dialog is cancelled.
class ScriptedDialogService final : public DialogService {
 public:
  struct MessageRecord {
    std::string text, caption;
    UINT type = 0;
    int answer = IDOK;
  };
  struct FileRecord {
    FileDialogRequest request;
    std::optional<std::string> answer;
  };

  void AnswerNextMessage(int answer) { message_answers_.push_back(answer); }
  void AnswerNextFile(std::optional<std::string> path) { file_answers_.push_back(std::move(path)); }
  const std::vector<MessageRecord>& messages() const { return messages_; }
  const std::vector<FileRecord>& files() const { return files_; }
  std::size_t pending_answers() const { return message_answers_.size() + file_answers_.size(); }

  int MessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                 UINT type) override;
  std::optional<std::string> FileDialog(QWidget* parent, const FileDialogRequest& request) override;

 private:
  std::deque<int> message_answers_;
  std::deque<std::optional<std::string>> file_answers_;
  std::vector<MessageRecord> messages_;
  std::vector<FileRecord> files_;
};

// The message box of the window `parent` (may be nullptr) through the service.
int UiMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                 UINT type = MB_OK);

}  // namespace velmora::ui
