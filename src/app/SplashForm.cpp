// The splash window: borderless, on top, centred on the screen, showing the splash artwork until
// its timer fires three seconds after start or the application is minimised.
#include <QEvent>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include "app/Forms.h"
#include "app/SplashUnit.h"

// The artwork is compiled into the program's static library; a static library's resources are
// registered by name.
static void InitSplashResource() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(splash);
    return true;
  }();
  (void)registered;
}

namespace ostrivo {

TSplashForm::TSplashForm(Forms& forms)
    // A tool window: no task-bar button of its own. Not Qt's splash-screen type, whose show
    // runs the pending events before the other windows exist.
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      forms_(forms) {
  InitSplashResource();
  setObjectName(QStringLiteral("SplashForm"));

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setPixmap(QPixmap(QStringLiteral(":/app/splash.jpg")));
  Image1->setGeometry(0, 0, kDesignWidth, kDesignHeight);

  // Centred on the screen for the design size; activation then grows the client area to the
  // artwork's size from the same top-left corner.
  QRect screen;
  if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry();
  setGeometry(screen.x() + (screen.width() - kDesignWidth) / 2,
              screen.y() + (screen.height() - kDesignHeight) / 2, kDesignWidth, kDesignHeight);

  Timer1 = new TTimer(forms_.services.scheduler, this);
  Timer1->SetInterval(3000);
  Timer1->OnTimer = [this](QObject* s) { forms_.Application.Guard([&] { Timer1Timer(s); }); };

  // Visible from creation.
  show();
}

TSplashForm::~TSplashForm() {
  Timer1->SetEnabled(false);
  Timer1->OnTimer = nullptr;
}

void TSplashForm::FormActivate(QObject*) {
  resize(kWidth, kHeight);
}

void TSplashForm::Timer1Timer(QObject*) {
  Timer1->SetEnabled(false);
  hide();
  setEnabled(false);
  if (MinimizeAfterSplash) forms_.Application.Minimize();
}

bool TSplashForm::event(QEvent* e) {
  const bool handled = QWidget::event(e);
  // A splash window may never be activated where no window manager hands out the focus, so
  // being shown counts as activation as well.
  if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
    forms_.Application.Guard([&] { FormActivate(this); });
  return handled;
}

void TSplashForm::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Image1->setGeometry(rect());
}

}  // namespace ostrivo
