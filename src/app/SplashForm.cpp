// Placeholder splash window: hides itself after its 3000 ms timer.
#include "app/Forms.h"
#include "app/SplashUnit.h"

namespace ostrivo {

TSplashForm::TSplashForm(Forms& forms) : QWidget(nullptr), forms_(forms) {
  Timer1 = new TTimer(forms_.services.scheduler, this);
  Timer1->SetInterval(3000);
  Timer1->OnTimer = [this](QObject* s) { forms_.Application.Guard([&] { Timer1Timer(s); }); };
}
TSplashForm::~TSplashForm() = default;
void TSplashForm::FormActivate(QObject*) {}
void TSplashForm::Timer1Timer(QObject*) {
  Timer1->SetEnabled(false);
  hide();
}

}  // namespace ostrivo
