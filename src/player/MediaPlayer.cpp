// Placeholder until the media device lands: every operation reports a closed device.
#include "player/MediaPlayer.h"

#include "framework/Exceptions.h"

namespace ostrivo {

struct TMediaPlayer::Impl {};

TMediaPlayer::TMediaPlayer(MediaBackend&, QObject* parent) : QObject(parent) {}
TMediaPlayer::~TMediaPlayer() = default;
static void NotOpen() { throw EMCIDeviceError(QStringLiteral("No MCI device open")); }
void TMediaPlayer::Open() { throw EMCIDeviceError(QStringLiteral("Unknown error code")); }
void TMediaPlayer::Close() {}
void TMediaPlayer::Play() { NotOpen(); }
void TMediaPlayer::Stop() { NotOpen(); }
void TMediaPlayer::Pause() { NotOpen(); }
int32_t TMediaPlayer::Position() const { return 0; }
void TMediaPlayer::SetPosition(int32_t) { NotOpen(); }
void TMediaPlayer::SetStartPos(int32_t) {}
int32_t TMediaPlayer::TimeFormat() const { return 0; }
void TMediaPlayer::SetTimeFormat(int32_t) {}
int32_t TMediaPlayer::Length() const { NotOpen(); return 0; }
int32_t TMediaPlayer::TrackLength(int32_t) const { NotOpen(); return 0; }
int32_t TMediaPlayer::TrackPosition(int32_t) const { return 0; }
TMPModes TMediaPlayer::Mode() const { return mpNotReady; }
TMPNotifyValues TMediaPlayer::NotifyValue() const { return nvSuccessful; }
bool TMediaPlayer::IsOpen() const { return false; }
int TMediaPlayer::Error() const { return 0; }

}  // namespace ostrivo
