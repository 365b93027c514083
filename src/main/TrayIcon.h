#pragma once
// TRxTrayIcon: the notification-area icon. It keeps its Active state and Hint whether or not
// the desktop has a tray; the system icon exists only while Active on a desktop with one.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>

class QMenu;
class QWidget;

namespace ostrivo {

class ShellServices;

class TRxTrayIcon : public QObject {
 public:
  // Starts inactive, with the program's own tray artwork as its icon.
  TRxTrayIcon(ShellServices& shell, QObject* owner);
  ~TRxTrayIcon() override;  // the icon leaves the notification area

  bool Active() const { return active_; }
  // On: the icon enters the notification area with the current hint; off: it leaves it.
  void SetActive(bool on);
  // The tooltip; the notification area shows its first 63 characters.
  const QString& Hint() const { return hint_; }
  void SetHint(const QString& text);
  QString ShownHint() const { return hint_.left(kHintLength); }
  const QIcon& Icon() const { return icon_; }
  void SetIcon(const QIcon& icon);
  QMenu* PopupMenu() const { return popup_; }
  void SetPopupMenu(QMenu* menu);

  // What the notification area reports about the mouse on the icon. A click (left button
  // released) raises OnClick; the right button opens the popup menu, which the desktop shows
  // from the menu handed to it; a double click does nothing beyond the click before it.
  void Activated(QSystemTrayIcon::ActivationReason reason);

  // The icon in the notification area, or null while none is shown.
  QSystemTrayIcon* SystemIcon() const { return tray_; }

  std::function<void(QObject* sender)> OnClick;

  static constexpr int kHintLength = 63;
  // The program's own 32 x 32 tray picture.
  static QIcon DefaultIcon();

 private:
  ShellServices& shell_;
  bool active_ = false;
  QString hint_;
  QIcon icon_;
  QMenu* popup_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
};

// The main window's border: sizeable, or none (as while it sits in the tray). A toolkit window
// drops off the screen when its frame changes, so a window that was shown is shown again.
void SetBorderNone(QWidget& window, bool none);

}  // namespace ostrivo
