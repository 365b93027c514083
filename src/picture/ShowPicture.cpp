// Picture presentation: ShowPicture loads a picture entry, sizes and places it in the picture
// window and starts its display time on the playback clock.
#include <QCheckBox>
#include <QLineEdit>
#include <cmath>
#include <limits>

#include "app/Forms.h"
#include "framework/Convert.h"
#include "framework/Exceptions.h"
#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "picture/PictureLoader.h"
#include "picture/PictureUnit.h"
#include "settings/OptionsUnit.h"

namespace ostrivo {

namespace {

// Trunc((a × 100 / b) × (c × 0.01)), in 80-bit extended precision and in this order, so that
// the sizes come out exactly as the classic program computed them.
int ScaleSide(int a, int b, int c) {
  if (b == 0) return 0;
  const long double v = (static_cast<long double>(a * 100LL) / b) * (c * 0.01L);
  if (!std::isfinite(v)) return 0;
  const long double t = std::trunc(v);
  if (t >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (t <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(t);
}

// half(v): integer division by 2, truncating toward zero.
int Half(int v) {
  return v / 2;
}

unsigned DisplayInterval(int32_t seconds) {
  if (seconds <= 0) return 2;
  // Very long display times stay long rather than wrap around.
  const long long ms = static_cast<long long>(seconds) * 1000;
  return static_cast<unsigned>(std::min<long long>(ms, std::numeric_limits<unsigned>::max()));
}

}  // namespace

void TPictureForm::FitPicture() {
  const int cw = ClientWidth(), ch = ClientHeight();
  if (ch < Image1->height()) {
    Image1->SetWidth(ScaleSide(ch, Image1->height(), Image1->width()));
    Image1->SetHeight(ch);
  }
  if (cw < Image1->width()) {
    Image1->SetHeight(ScaleSide(cw, Image1->width(), Image1->height()));
    Image1->SetWidth(cw);
  }
}

void TPictureForm::ShowPicture(const QByteArray& entry) {
  TMainForm& main = *forms_.MainForm;
  TOptionsForm& options = *forms_.OptionsForm;

  main.Timer1->SetEnabled(false);                  // 1
  main.CurrentFile = entry;                        // 2
  SetTitleVisible(options.TitleBox->isChecked());  // 3
  SetAutoScroll(false);                            // 4
  ShowMaximized();                                 // 5
  // 6: the file's header gives the natural size the control takes. Its pixels are decoded once
  // the control's size is known (below), with no more detail than that size shows.
  Image1->Load(PictureFile(entry));

  const bool fit = options.FitBox->isChecked();
  const bool stretch = options.StretchBox->isChecked();
  if (fit || stretch) {  // 7
    Image1->SetStretch(true);
    FitPicture();
  } else {
    Image1->SetStretch(false);
  }
  if (stretch) {  // 8
    Image1->SetStretch(true);
    Image1->move(0, 0);
    const int cw = ClientWidth(), ch = ClientHeight();
    if ((ch - Image1->height()) > (cw - Image1->width())) {
      Image1->SetHeight(ScaleSide(cw, Image1->width(), Image1->height()));
      Image1->SetWidth(cw);
    } else {
      Image1->SetWidth(ScaleSide(ch, Image1->height(), Image1->width()));
      Image1->SetHeight(ch);
    }
    FitPicture();
  }
  // 9: centred, not clamped: a picture larger than the window shows its middle.
  Image1->SetTop(Half(ClientHeight() - Image1->height()));
  Image1->SetLeft(Half(ClientWidth() - Image1->width()));
  Image1->Decode();     // 6, completed: the rows show in their place as they decode
  SetAutoScroll(true);  // 10

  const QString caption = QStringLiteral("Showing ") + DisplayText(entry);  // 11
  setWindowTitle(caption);
  main.RxTrayIcon1->SetHint(caption);

  const int32_t n = LeadingDigits(options.Edit1->text());  // 12
  main.Timer1->SetEnabled(true);
  main.Timer1->SetInterval(DisplayInterval(n));
}

}  // namespace ostrivo
