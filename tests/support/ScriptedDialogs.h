#pragma once
// Dialogs for tests: every request is recorded, and each is answered from a queue of answers
// the test prepared. A request without a prepared answer is answered the safe way (No, cancel)
// and recorded all the same, so a test sees unexpected questions.

#include <QDialog>
#include <deque>
#include <functional>
#include <vector>

#include "framework/Dialogs.h"

namespace ostrivo::test {

struct ShownMessage {
  enum class Kind { Message, Confirm };
  Kind kind;
  QString caption;
  QString text;
  MessageIcon icon = MessageIcon::None;
};

class ScriptedDialogs : public Dialogs {
 public:
  void ShowMessage(const QString& caption, const QString& text, MessageIcon icon) override;
  bool Confirm(const QString& caption, const QString& text) override;
  QStringList OpenFiles(const FileDialogRequest& request) override;
  QString SaveFile(const FileDialogRequest& request) override;
  std::optional<QColor> ChooseColor(const QColor& initial) override;
  int ExecModal(QDialog& dialog) override;

  // Answers, used in order.
  std::deque<bool> confirmAnswers;
  std::deque<QStringList> openAnswers;  // an empty list cancels
  std::deque<QString> saveAnswers;      // an empty text cancels
  std::deque<std::optional<QColor>> colorAnswers;
  // A modal window is handed to the next of these, which may fill it in and returns its
  // result; without one the window is rejected.
  std::deque<std::function<int(QDialog&)>> modalAnswers;
  // Runs while a message box is "open", e.g. to let virtual time pass inside it.
  std::function<void(const ShownMessage&)> whileMessageShown;

  // What was shown.
  std::vector<ShownMessage> messages;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  std::vector<QColor> colorRequests;
  std::vector<QString> modalTitles;

  // Texts of the error boxes shown so far.
  QStringList Errors() const;
  QStringList Texts() const;
};

}  // namespace ostrivo::test
