#include "support/ScriptedDialogs.h"

namespace ostrivo::test {

void ScriptedDialogs::ShowMessage(const QString& caption, const QString& text, MessageIcon icon) {
  messages.push_back({ShownMessage::Kind::Message, caption, text, icon});
  if (whileMessageShown) whileMessageShown(messages.back());
}

bool ScriptedDialogs::Confirm(const QString& caption, const QString& text) {
  messages.push_back({ShownMessage::Kind::Confirm, caption, text, MessageIcon::Question});
  if (whileMessageShown) whileMessageShown(messages.back());
  if (confirmAnswers.empty()) return false;
  const bool answer = confirmAnswers.front();
  confirmAnswers.pop_front();
  return answer;
}

QStringList ScriptedDialogs::OpenFiles(const FileDialogRequest& request) {
  openRequests.push_back(request);
  if (openAnswers.empty()) return {};
  QStringList answer = openAnswers.front();
  openAnswers.pop_front();
  return answer;
}

QString ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  if (saveAnswers.empty()) return {};
  QString answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}

std::optional<QColor> ScriptedDialogs::ChooseColor(const QColor& initial) {
  colorRequests.push_back(initial);
  if (colorAnswers.empty()) return std::nullopt;
  auto answer = colorAnswers.front();
  colorAnswers.pop_front();
  return answer;
}

int ScriptedDialogs::ExecModal(QDialog& dialog) {
  modalTitles.push_back(dialog.windowTitle());
  if (modalAnswers.empty()) return QDialog::Rejected;
  auto answer = std::move(modalAnswers.front());
  modalAnswers.pop_front();
  return answer(dialog);
}

QStringList ScriptedDialogs::Errors() const {
  QStringList result;
  for (const auto& m : messages)
    if (m.kind == ShownMessage::Kind::Message && m.icon == MessageIcon::Error) result << m.text;
  return result;
}

QStringList ScriptedDialogs::Texts() const {
  QStringList result;
  for (const auto& m : messages) result << m.text;
  return result;
}

}  // namespace ostrivo::test
