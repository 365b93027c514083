#pragma once
// TInsPauseForm: the insert-pause dialog, created once and reused; its field keeps its text.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace ostrivo {

class Forms;

// An up-down control bound to an edit field: each step writes its position into the field.
// A step starts from the field's number when the field holds one within the range, so typing
// and stepping work together.
class TAssociatedUpDown : public QWidget {
 public:
  TAssociatedUpDown(QLineEdit* associate, QWidget* parent);

  int Position() const { return position_; }
  void SetPosition(int position);  // kept within the range; written into the field
  void SetRange(int min, int max);
  int Min() const { return min_; }
  int Max() const { return max_; }
  // One step up (+1) or down (-1), as a click on that arrow makes; no wrap-around.
  void Step(int direction);

  QToolButton* UpArrow() const { return up_; }
  QToolButton* DownArrow() const { return down_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLineEdit* associate_;
  QToolButton* up_;
  QToolButton* down_;
  int position_ = 0;
  int min_ = 0;
  int max_ = 100;
};

class TInsPauseForm : public QDialog {
 public:
  explicit TInsPauseForm(Forms& forms);
  ~TInsPauseForm() override;

  QLabel* Label1;
  QLineEdit* Edit1;
  TAssociatedUpDown* UpDown1;
  QPushButton* OKButton;
  QPushButton* CancelButton;

  // Inserts "Pause: " and the field's text after the selected entry (at the top when none is
  // selected) and closes.
  void OKButtonClick(QObject* Sender);
  // Closes; nothing changes.
  void CancelButtonClick(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Forms& forms_;
};

}  // namespace ostrivo
