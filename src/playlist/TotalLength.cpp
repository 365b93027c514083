// Total length: counts the entries and adds up how long they play.

#include "app/Forms.h"
#include "framework/Convert.h"
#include "framework/Exceptions.h"
#include "main/MainUnit.h"
#include "player/Entries.h"
#include "player/MediaPlayer.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

void TMainForm::LengthButtonClick(QObject*) {
  const bool restart = Active();
  // The pause after an item ends here, not when the report closes: ticks run while it is
  // open, and one that saw the pause end would move the selection before Play restarts it.
  if (restart) {
    InPause = false;
    StopButtonClick(this);
  }
  int32_t total = 0;
  auto add = [&total](int32_t seconds) {
    // A signed 32-bit count: it wraps rather than overflows.
    total = static_cast<int32_t>(static_cast<uint32_t>(total) + static_cast<uint32_t>(seconds));
  };
  for (int i = 0; i < ListBox1->Count(); ++i) {
    const QByteArray entry = ListBox1->Items()[i];
    const TEntryKind kind = EntryKind(entry);
    if (IsMark(kind)) continue;
    if (kind == TEntryKind::Picture) {
      add(StrToInt(forms_.OptionsForm->Edit1->text()));
      continue;
    }
    MediaPlayer1->FileName = entry;
    MediaPlayer1->DeviceType = dtAutoSelect;
    // What Open, a millisecond time format, Length and Close would give, without a pipeline
    // made ready to play for every entry.
    const auto seconds = static_cast<int32_t>(MediaPlayer1->FileLength() * 0.001);
    add(seconds);
    StatusBar1->SetSimpleText(QStringLiteral("Adding ") + DisplayText(entry) +
                              QStringLiteral(" length - ") + QString::number(seconds) +
                              QStringLiteral(" seconds"));
    StatusBar1->Refresh();
  }
  Application().GetDialogs().ShowMessage(
      Application().Title,
      QStringLiteral("Number of items: %1\rTotal length: %2:%3:%4")
          .arg(ListBox1->Count())
          .arg(total / 3600)
          .arg(total % 3600 / 60)
          .arg(total % 60),
      MessageIcon::None);
  if (restart) PlayButtonClick(this);
}

}  // namespace ostrivo
