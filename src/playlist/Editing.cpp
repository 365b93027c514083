// The editing commands: Add, Remove, Move up and down, Randomize, Sort and the three inserts.

#include <QCollator>
#include <QFile>
#include <QScrollBar>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "player/Entries.h"
#include "playlist/EntryLines.h"
#include "playlist/EntrySort.h"
#include "playlist/InsPauseUnit.h"
#include "playlist/PlayListDialogs.h"
#include "playlist/PlayListEdit.h"

namespace ostrivo {

void TMainForm::AddButtonClick(QObject*) {
  AddFiles(Application().GetDialogs().OpenFiles(OpenDialog1(kAllFilesFilter)));
}

void TMainForm::AddFiles(const QStringList& files) {
  std::vector<QByteArray> added, refused;
  added.reserve(static_cast<size_t>(files.size()));
  for (const QString& f : files) {
    QByteArray path = QFile::encodeName(f);
    (HoldsLineBreak(path) ? refused : added).push_back(std::move(path));
  }
  AppendEntries(*ListBox1, std::move(added));
  RefuseLineBreaks(refused);
}

void TMainForm::RemoveButtonClick(QObject*) {
  const int i = ListBox1->ItemIndex();
  if (i >= 0) ListBox1->Items().Delete(i);
}

void TMainForm::UpButtonClick(QObject*) {
  const int i = ListBox1->ItemIndex();
  if (i <= 0) return;
  ListBox1->Items().Exchange(i, i - 1);
  ListBox1->setFocus();
  ListBox1->SetItemIndex(i - 1);
}

void TMainForm::DownButtonClick(QObject*) {
  const int i = ListBox1->ItemIndex();
  if (i < 0 || i >= ListBox1->Count() - 1) return;
  ListBox1->Items().Exchange(i, i + 1);
  ListBox1->setFocus();
  ListBox1->SetItemIndex(i + 1);
}

void TMainForm::RandomizeButtonClick(QObject*) {
  const bool restart = Active();
  if (restart) StopButtonClick(this);
  StatusBar1->SetSimpleText(QStringLiteral("Randomizing"));
  StatusBar1->Refresh();
  TRandom& random = forms_.Random;
  random.Randomize();
  // Every draw is below n - 1, so the last position is never drawn; the selected index stays.
  ListBox1->Items().Rearrange([&](std::vector<QByteArray>& items) {
    const auto n = static_cast<int32_t>(items.size());
    for (int32_t i = 0; i < n; ++i) std::swap(items[i], items[random.Random(n - 1)]);
  });
  StatusBar1->SetSimpleText(QStringLiteral("Randomizing done."));
  if (restart) PlayButtonClick(this);
}

void TMainForm::SortButtonClick(QObject*) {
  QCollator collator(QLocale().collation());
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  KeepingScrollPosition(*ListBox1, [&] {
    ListBox1->Items().Rearrange(
        [&](std::vector<QByteArray>& items) { SortEntries(items, collator); });
  });
}

void TMainForm::InsPauseButtonClick(QObject*) {
  // The dialog's OK inserts the mark.
  Application().GetDialogs().ExecModal(*forms_.InsPauseForm);
}

void TMainForm::InsStopButtonClick(QObject*) {
  ListBox1->Items().Insert(ListBox1->ItemIndex() + 1, kStopMark);
}

void TMainForm::InsQuitButtonClick(QObject*) {
  ListBox1->Items().Insert(ListBox1->ItemIndex() + 1, kQuitMark);
}

}  // namespace ostrivo
