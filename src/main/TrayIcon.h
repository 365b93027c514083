#pragma once
// TRxTrayIcon: the notification-area icon. It keeps its Active state and Hint whether or not
// the desktop has a tray; the system icon exists only while Active on a desktop with one.

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

class QMenu;
class QSystemTrayIcon;

namespace ostrivo {

class ShellServices;

class TRxTrayIcon : public QObject {
 public:
  TRxTrayIcon(ShellServices& shell, QObject* owner);
  ~TRxTrayIcon() override;

  bool Active() const { return active_; }
  void SetActive(bool on);
  // The tooltip; the notification area shows its first 63 characters.
  const QString& Hint() const { return hint_; }
  void SetHint(const QString& text);
  QString ShownHint() const { return hint_.left(63); }
  void SetIcon(const QIcon& icon);
  void SetPopupMenu(QMenu* menu) { popup_ = menu; }

  std::function<void(QObject* sender)> OnClick;

 private:
  ShellServices& shell_;
  bool active_ = false;
  QString hint_;
  QIcon icon_;
  QMenu* popup_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace ostrivo
