#include "platform/shell/MprisService.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>
#include <QVariantMap>
#include <algorithm>
#include <utility>

#include "framework/AppIdentity.h"

namespace ostrivo {

namespace {

using State = PlayerControls::State;
using Track = PlayerControls::Track;

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kTrackPrefix = QStringLiteral("/org/ostrivo/Ostrivo/Track/");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QString StatusText(PlayerControls::Status status) {
  switch (status) {
    case PlayerControls::Status::Playing:
      return QStringLiteral("Playing");
    case PlayerControls::Status::Paused:
      return QStringLiteral("Paused");
    case PlayerControls::Status::Stopped:
      break;
  }
  return QStringLiteral("Stopped");
}

QVariantMap Metadata(const Track& track) {
  QVariantMap m;
  m.insert(QStringLiteral("mpris:trackid"),
           QVariant::fromValue(QDBusObjectPath(MprisService::TrackPath(track.index))));
  if (track.index < 0) return m;
  if (!track.url.isEmpty()) m.insert(QStringLiteral("xesam:url"), track.url);
  m.insert(QStringLiteral("xesam:title"), track.title);
  if (track.lengthUs) m.insert(QStringLiteral("mpris:length"), qlonglong{*track.lengthUs});
  return m;
}

// Every property of the player interface but the position, which changes all the time and is
// read when asked for.
QVariantMap PlayerProperties(const State& s) {
  return {
      {QStringLiteral("PlaybackStatus"), StatusText(s.status)},
      {QStringLiteral("LoopStatus"), s.loop ? QStringLiteral("Playlist") : QStringLiteral("None")},
      {QStringLiteral("Rate"), 1.0},
      {QStringLiteral("MinimumRate"), 1.0},
      {QStringLiteral("MaximumRate"), 1.0},
      {QStringLiteral("Shuffle"), s.shuffle},
      {QStringLiteral("Metadata"), Metadata(s.track)},
      // A missing line reads as silence, where its bar stands.
      {QStringLiteral("Volume"), s.volume.value_or(0.0)},
      {QStringLiteral("CanGoNext"), s.canGoNext},
      {QStringLiteral("CanGoPrevious"), s.canGoPrevious},
      {QStringLiteral("CanPlay"), s.canPlay},
      {QStringLiteral("CanPause"), s.canPause},
      {QStringLiteral("CanSeek"), s.canSeek},
      {QStringLiteral("CanControl"), true},
  };
}

}  // namespace

namespace mpris {

// The exported object; the two interfaces are its adaptors. Commands run once the call has
// been answered, as posted events: an error box they open then keeps no caller waiting, and a
// call that follows still finds the command done.
class Object : public QObject {
 public:
  Object(MprisService& service, PlayerControls& controls) : service(service), controls(controls) {}

  template <class F>
  void Later(F&& f) {
    QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::QueuedConnection);
  }

  MprisService& service;
  PlayerControls& controls;
  QVariantMap announced;  // the player properties as last announced
  bool pending = false;   // a check for changes is posted
};

class Root : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  explicit Root(Object& object) : QDBusAbstractAdaptor(&object), o_(object) {}

  bool CanQuit() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const { return QStringLiteral("Ostrivo"); }
  QString DesktopEntry() const { return kApplicationId; }
  QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
  QStringList SupportedMimeTypes() const { return OpenedMimeTypes(); }

 public slots:
  void Raise() {
    o_.Later([c = &o_.controls] { c->Raise(); });
  }
  void Quit() {
    o_.Later([c = &o_.controls] { c->Quit(); });
  }

 private:
  Object& o_;
};

class Player : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
  Q_PROPERTY(double Rate READ Rate WRITE SetRate)
  Q_PROPERTY(double MinimumRate READ Rate)
  Q_PROPERTY(double MaximumRate READ Rate)
  Q_PROPERTY(bool Shuffle READ Shuffle WRITE SetShuffle)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ CanGoNext)
  Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
  Q_PROPERTY(bool CanPlay READ CanPlay)
  Q_PROPERTY(bool CanPause READ CanPause)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ CanControl)

 public:
  explicit Player(Object& object) : QDBusAbstractAdaptor(&object), o_(object) {}

  QString PlaybackStatus() const { return Get("PlaybackStatus").toString(); }
  QString LoopStatus() const { return Get("LoopStatus").toString(); }
  void SetLoopStatus(const QString& value) {
    // Repeating one track is not a mode of this player.
    if (value == QLatin1String("Playlist") || value == QLatin1String("None"))
      o_.controls.SetLoop(value == QLatin1String("Playlist"));
  }
  double Rate() const { return Get("Rate").toDouble(); }
  void SetRate(double) {}
  bool Shuffle() const { return Get("Shuffle").toBool(); }
  void SetShuffle(bool on) { o_.controls.SetShuffle(on); }
  QVariantMap Metadata() const { return Get("Metadata").toMap(); }
  double Volume() const { return Get("Volume").toDouble(); }
  void SetVolume(double volume) { o_.controls.SetVolume(std::clamp(volume, 0.0, 1.0)); }
  qlonglong Position() const { return o_.controls.PositionUs(); }
  bool CanGoNext() const { return Get("CanGoNext").toBool(); }
  bool CanGoPrevious() const { return Get("CanGoPrevious").toBool(); }
  bool CanPlay() const { return Get("CanPlay").toBool(); }
  bool CanPause() const { return Get("CanPause").toBool(); }
  bool CanSeek() const { return Get("CanSeek").toBool(); }
  bool CanControl() const { return Get("CanControl").toBool(); }

 public slots:
  void Next() {
    o_.Later([c = &o_.controls] { c->Next(); });
  }
  void Previous() {
    o_.Later([c = &o_.controls] { c->Previous(); });
  }
  void Pause() {
    o_.Later([c = &o_.controls] { c->Pause(); });
  }
  void PlayPause() {
    o_.Later([c = &o_.controls] { c->PlayPause(); });
  }
  void Stop() {
    o_.Later([c = &o_.controls] { c->Stop(); });
  }
  void Play() {
    o_.Later([c = &o_.controls] { c->Play(); });
  }
  void Seek(qlonglong Offset) {
    o_.Later([c = &o_.controls, Offset] {
      const State s = c->Read();
      if (!s.canSeek) return;
      const int64_t target = std::max<int64_t>(0, c->PositionUs() + Offset);
      // Past the end is the next entry's business.
      if (s.track.lengthUs && target > *s.track.lengthUs) {
        c->Next();
        return;
      }
      c->SeekTo(target);
    });
  }
  void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    o_.Later([c = &o_.controls, index = MprisService::TrackIndex(TrackId.path()), Position] {
      const State s = c->Read();
      // A request for an entry that is no longer current is stale.
      if (!s.canSeek || index < 0 || index != s.track.index || Position < 0) return;
      if (s.track.lengthUs && Position > *s.track.lengthUs) return;
      c->SeekTo(Position);
    });
  }
  void OpenUri(const QString& Uri) {
    const QUrl url(Uri);
    if (!url.isLocalFile()) return;
    o_.Later([c = &o_.controls, path = url.toLocalFile()] { c->OpenFile(path); });
  }

 signals:
  void Seeked(qlonglong Position);

 private:
  QVariant Get(const char* name) const {
    return PlayerProperties(o_.controls.Read()).value(QLatin1String(name));
  }
  Object& o_;
};

}  // namespace mpris

MprisService::MprisService(const QDBusConnection& bus, PlayerControls& controls)
    : bus_(bus), controls_(controls) {
  if (!bus_.isConnected()) return;
  object_ = std::make_unique<mpris::Object>(*this, controls_);
  new mpris::Root(*object_);
  player_ = new mpris::Player(*object_);
  if (!bus_.registerObject(kObjectPath, object_.get(), QDBusConnection::ExportAdaptors)) {
    object_.reset();
    player_ = nullptr;
    return;
  }
  object_->announced = PlayerProperties(controls_.Read());
  // The object is in place before the name appears, so whoever sees the name finds it.
  const QString instance =
      kBusName + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
  for (const QString& name : {kBusName, instance}) {
    if (bus_.registerService(name)) {
      serviceName_ = name;
      return;
    }
  }
  bus_.unregisterObject(kObjectPath);
  object_.reset();
  player_ = nullptr;
}

MprisService::~MprisService() {
  if (!object_) return;
  bus_.unregisterService(serviceName_);
  bus_.unregisterObject(kObjectPath);
}

void MprisService::Changed() {
  if (!object_ || object_->pending) return;
  object_->pending = true;
  object_->Later([this] {
    object_->pending = false;
    Announce();
  });
}

void MprisService::Announce() {
  const QVariantMap now = PlayerProperties(controls_.Read());
  QVariantMap changed;
  for (auto it = now.cbegin(); it != now.cend(); ++it)
    if (object_->announced.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  object_->announced = now;
  if (changed.isEmpty()) return;
  QDBusMessage signal =
      QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                 QStringLiteral("PropertiesChanged"));
  signal << kPlayerInterface << changed << QStringList();
  bus_.send(signal);
}

void MprisService::Seeked() {
  if (player_) emit player_->Seeked(controls_.PositionUs());
}

QString MprisService::TrackPath(int index) {
  return index < 0 ? kNoTrack : kTrackPrefix + QString::number(index);
}

int MprisService::TrackIndex(const QString& path) {
  if (!path.startsWith(kTrackPrefix)) return -1;
  bool ok = false;
  const int index = path.mid(kTrackPrefix.size()).toInt(&ok);
  return ok && index >= 0 ? index : -1;
}

}  // namespace ostrivo

#include "MprisService.moc"
