#pragma once
// Dialog services. Every message box, file dialog, colour dialog and modal window goes through
// this interface: QtDialogs shows the real thing, the tests' scripted dialogs record what was
// shown and answer as the test says.

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;

namespace ostrivo {

enum class MessageIcon { None, Information, Warning, Error, Question };

// A file dialog's request. Filter is in the classic form "Name|pattern|Name|pattern";
// FilterIndex is 1-based.
struct FileDialogRequest {
  QString Title;
  QString Filter;
  int FilterIndex = 1;
  bool MultiSelect = false;
  QString InitialDir;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A message box with one OK button.
  virtual void ShowMessage(const QString& caption, const QString& text, MessageIcon icon) = 0;
  // A Yes/No confirmation; true for Yes.
  virtual bool Confirm(const QString& caption, const QString& text) = 0;
  // The chosen files in the order the dialog gives them; empty when cancelled.
  virtual QStringList OpenFiles(const FileDialogRequest& request) = 0;
  // The chosen path exactly as typed or picked (no extension added); empty when cancelled.
  virtual QString SaveFile(const FileDialogRequest& request) = 0;
  // The confirmed colour, or nothing when cancelled.
  virtual std::optional<QColor> ChooseColor(const QColor& initial) = 0;
  // Shows a window modally and returns its result (QDialog::Accepted or Rejected).
  virtual int ExecModal(QDialog& dialog) = 0;
};

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const QString& caption, const QString& text, MessageIcon icon) override;
  bool Confirm(const QString& caption, const QString& text) override;
  QStringList OpenFiles(const FileDialogRequest& request) override;
  QString SaveFile(const FileDialogRequest& request) override;
  std::optional<QColor> ChooseColor(const QColor& initial) override;
  int ExecModal(QDialog& dialog) override;

 private:
  QWidget* parent_;
};

// "Name|*.a|All|*.*" -> {"Name (*.a)", "All (*.*)"}.
QStringList QtNameFilters(const QString& filter);

}  // namespace ostrivo
