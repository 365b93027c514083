#pragma once
// TInsPauseForm: the insert-pause dialog, created once and reused; its field keeps its text.

#include <QDialog>

namespace ostrivo {

class Forms;

class TInsPauseForm : public QDialog {
 public:
  explicit TInsPauseForm(Forms& forms);
  ~TInsPauseForm() override;

 private:
  Forms& forms_;
};

}  // namespace ostrivo
