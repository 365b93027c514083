#include "framework/Dialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace ostrivo {

QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    result << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
  return result;
}

namespace {
// Message texts break lines with a lone CR, as the classic message box does; Qt's label breaks
// only at LF.
QString LineBreaks(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}
}  // namespace

void QtDialogs::ShowMessage(const QString& caption, const QString& text, MessageIcon icon) {
  QMessageBox::Icon qicon = QMessageBox::NoIcon;
  switch (icon) {
    case MessageIcon::None:
      break;
    case MessageIcon::Information:
      qicon = QMessageBox::Information;
      break;
    case MessageIcon::Warning:
      qicon = QMessageBox::Warning;
      break;
    case MessageIcon::Error:
      qicon = QMessageBox::Critical;
      break;
    case MessageIcon::Question:
      qicon = QMessageBox::Question;
      break;
  }
  QMessageBox box(qicon, caption, LineBreaks(text), QMessageBox::Ok, parent_);
  box.exec();
}

bool QtDialogs::Confirm(const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, LineBreaks(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  return box.exec() == QMessageBox::Yes;
}

namespace {
void Prepare(QFileDialog& dialog, const FileDialogRequest& request) {
  const QStringList filters = QtNameFilters(request.Filter);
  dialog.setNameFilters(filters);
  if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.FilterIndex - 1]);
  if (!request.InitialDir.isEmpty()) dialog.setDirectory(request.InitialDir);
  dialog.setWindowTitle(request.Title);
}
}  // namespace

QStringList QtDialogs::OpenFiles(const FileDialogRequest& request) {
  QFileDialog dialog(parent_);
  Prepare(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString QtDialogs::SaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(parent_);
  Prepare(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setDefaultSuffix(QString());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

std::optional<QColor> QtDialogs::ChooseColor(const QColor& initial) {
  const QColor c = QColorDialog::getColor(initial, parent_);
  if (!c.isValid()) return std::nullopt;
  return c;
}

int QtDialogs::ExecModal(QDialog& dialog) {
  return dialog.exec();
}

}  // namespace ostrivo
