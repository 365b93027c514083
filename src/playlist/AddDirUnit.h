#pragma once
// TAddDirForm: the add-directory dialog, switched between adding and removing before it shows.

#include <QDialog>

namespace ostrivo {

class Forms;

class TAddDirForm : public QDialog {
 public:
  explicit TAddDirForm(Forms& forms);
  ~TAddDirForm() override;

 private:
  Forms& forms_;
};

}  // namespace ostrivo
