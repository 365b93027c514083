#include "main/TrayIcon.h"

#include <QMenu>
#include <QPixmap>
#include <QWidget>

#include "platform/shell/ShellServices.h"

namespace ostrivo {

namespace {
#include "main/TrayIconArt.xpm"
}  // namespace

QIcon TRxTrayIcon::DefaultIcon() {
  return QIcon(QPixmap(kTrayIconArt));
}

TRxTrayIcon::TRxTrayIcon(ShellServices& shell, QObject* owner)
    : QObject(owner), shell_(shell), icon_(DefaultIcon()) {}

TRxTrayIcon::~TRxTrayIcon() {
  if (tray_) tray_->hide();
  delete tray_;
}

void TRxTrayIcon::SetActive(bool on) {
  if (on == active_) return;
  active_ = on;
  if (!on) {
    if (tray_) {
      tray_->hide();
      // The icon may be reporting the very click that deactivates it: it goes once that
      // report has returned.
      tray_->deleteLater();
      tray_ = nullptr;
    }
    return;
  }
  if (!shell_.TrayAvailable()) return;
  tray_ = new QSystemTrayIcon(icon_, this);
  tray_->setToolTip(ShownHint());
  if (popup_) tray_->setContextMenu(popup_);
  connect(tray_, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason r) { Activated(r); });
  tray_->show();
}

void TRxTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::Trigger && OnClick) OnClick(this);
}

void TRxTrayIcon::SetHint(const QString& text) {
  hint_ = text;
  if (tray_) tray_->setToolTip(ShownHint());
}

void TRxTrayIcon::SetIcon(const QIcon& icon) {
  icon_ = icon;
  if (tray_) tray_->setIcon(icon);
}

void TRxTrayIcon::SetPopupMenu(QMenu* menu) {
  popup_ = menu;
  if (tray_) tray_->setContextMenu(menu);
}

void SetBorderNone(QWidget& window, bool none) {
  if (window.windowFlags().testFlag(Qt::FramelessWindowHint) == none) return;
  const bool shown = window.isVisible();
  window.setWindowFlag(Qt::FramelessWindowHint, none);
  if (shown) window.show();
}

}  // namespace ostrivo
