#include "main/TrayIcon.h"

#include <QSystemTrayIcon>

#include "platform/shell/ShellServices.h"

namespace ostrivo {

TRxTrayIcon::TRxTrayIcon(ShellServices& shell, QObject* owner) : QObject(owner), shell_(shell) {}

TRxTrayIcon::~TRxTrayIcon() {
  delete tray_;
}

void TRxTrayIcon::SetActive(bool on) {
  if (on == active_) return;
  active_ = on;
  if (!on) {
    delete tray_;
    tray_ = nullptr;
    return;
  }
  if (!shell_.TrayAvailable()) return;
  tray_ = new QSystemTrayIcon(icon_);
  tray_->setToolTip(ShownHint());
  if (popup_) tray_->setContextMenu(popup_);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger && OnClick) OnClick(this);
  });
  tray_->show();
}

void TRxTrayIcon::SetHint(const QString& text) {
  hint_ = text;
  if (tray_) tray_->setToolTip(ShownHint());
}

void TRxTrayIcon::SetIcon(const QIcon& icon) {
  icon_ = icon;
  if (tray_) tray_->setIcon(icon);
}

}  // namespace ostrivo
