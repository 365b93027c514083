#include "framework/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <algorithm>
#include <vector>

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
  ExecModal(box);
}

bool QtDialogs::Confirm(const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Question, caption, LineBreaks(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  return ExecModal(box) == QMessageBox::Yes;
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
  if (ExecModal(dialog) != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString QtDialogs::SaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(parent_);
  Prepare(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setDefaultSuffix(QString());
  if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

std::optional<QColor> QtDialogs::ChooseColor(const QColor& initial) {
  QColorDialog dialog(initial, parent_);
  if (ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.selectedColor();
}

namespace {

// The windows of ours that stay above all others, such as the full-screen picture window.
std::vector<QWidget*> WindowsOnTop(const QWidget* except) {
  std::vector<QWidget*> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != except && w->isVisible() && !w->isMinimized() &&
        w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
      windows.push_back(w);
  return windows;
}

}  // namespace

int QtDialogs::ExecModal(QDialog& dialog) {
  // A window that stays on top would cover a modal window that does not: the user would see
  // neither the box nor a way out. While one is up, the modal window stays on top too and
  // belongs to it (a window manager keeps a window's own dialogs above it); when it closes,
  // that window is in front again with the keyboard, as before.
  const std::vector<QWidget*> onTop = WindowsOnTop(&dialog);
  QWidget* const parent = dialog.parentWidget();
  const Qt::WindowFlags flags = dialog.windowFlags();
  QWidget* owner = parent;
  for (QWidget* w : onTop)
    if (w->windowType() == Qt::Window) owner = w;
  // Moving a window to another owner takes the focus from its controls: it is put back.
  auto setOwner = [&dialog](QWidget* to, Qt::WindowFlags with) {
    QWidget* const focus = dialog.focusWidget();
    dialog.setParent(to, with);
    if (focus) focus->setFocus();
  };
  if (!onTop.empty()) setOwner(owner, flags | Qt::WindowStaysOnTopHint);
  const int result = dialog.exec();
  if (!onTop.empty()) setOwner(parent, flags);
  for (QWidget* w : WindowsOnTop(&dialog)) {
    if (std::find(onTop.begin(), onTop.end(), w) == onTop.end()) continue;
    w->raise();
    // A tool window (the splash) is only shown; an ordinary one takes the keyboard back.
    if (w->windowType() == Qt::Window) w->activateWindow();
  }
  return result;
}

}  // namespace ostrivo
