#pragma once
// The desktop's player controls on the session bus (MPRIS2): the program owns
// org.mpris.MediaPlayer2.ostrivo (with ".instance<pid>" when another instance holds it) and
// serves /org/mpris/MediaPlayer2 on the GUI thread, over the PlayerControls the program
// implements.

#include <QDBusConnection>
#include <QString>
#include <cstdint>
#include <memory>

#include "platform/shell/PlayerControls.h"

namespace ostrivo {

namespace mpris {
class Root;
class Player;
class Object;
}  // namespace mpris

class MprisService {
 public:
  static inline const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.ostrivo");
  static inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

  // Publishes the controls; on a bus that is not connected nothing is registered.
  MprisService(const QDBusConnection& bus, PlayerControls& controls);
  ~MprisService();
  MprisService(const MprisService&) = delete;
  MprisService& operator=(const MprisService&) = delete;

  // The bus name owned; empty when nothing is published.
  QString ServiceName() const { return serviceName_; }

  // What the properties show may have changed. Once the current event has been handled they
  // are read again, and those that differ are announced in one PropertiesChanged.
  void Changed();
  // The position jumped: announces it with Seeked.
  void Seeked();

  // The object path of the entry at a list position, and back (-1 for anything else).
  static QString TrackPath(int index);
  static int TrackIndex(const QString& path);

 private:
  void Announce();

  QDBusConnection bus_;
  PlayerControls& controls_;
  QString serviceName_;
  std::unique_ptr<mpris::Object> object_;
  mpris::Player* player_ = nullptr;
};

}  // namespace ostrivo
