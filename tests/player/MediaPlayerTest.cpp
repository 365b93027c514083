// The media device over the simulated back end, in virtual time.
#include <gtest/gtest.h>

#include <vector>

#include "framework/Exceptions.h"
#include "framework/Time.h"
#include "platform/media/SimulatedMediaBackend.h"
#include "player/MediaPlayer.h"

using namespace ostrivo;

namespace {

struct Notice {
  TMPNotifyValues value;
  std::int64_t at;
};

class MediaPlayerTest : public ::testing::Test {
 protected:
  MediaPlayerTest() {
    media.AddFile("/m/a.wav", 3000);
    media.AddFile("/m/b.mid", 5000);
    player.OnNotify = [this](QObject* sender) {
      EXPECT_EQ(sender, &player);
      EXPECT_FALSE(insideCall) << "a notice arrived inside an operation";
      notices.push_back({player.NotifyValue(), time.Now()});
    };
  }

  // Runs an operation the way a command does, noting that a notice must not arrive inside it.
  template <class F>
  void Call(F&& f) {
    insideCall = true;
    f();
    insideCall = false;
  }

  void OpenFile(const char* path) {
    player.FileName = path;
    player.DeviceType = dtAutoSelect;
    Call([&] { player.Open(); });
  }

  std::vector<TMPNotifyValues> Values() const {
    std::vector<TMPNotifyValues> v;
    for (const auto& n : notices) v.push_back(n.value);
    return v;
  }

  QString ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const EMCIDeviceError& e) {
      return e.Message();
    }
    return QStringLiteral("<no error>");
  }

  VirtualTime time;
  SimulatedMediaBackend media{time};
  TMediaPlayer player{media};
  std::vector<Notice> notices;
  bool insideCall = false;
};

using V = std::vector<TMPNotifyValues>;

TEST_F(MediaPlayerTest, PlayRunsToTheEndAndReportsSuccessAtThatMoment) {
  time.Advance(700);  // the clock does not start at zero
  OpenFile("/m/a.wav");
  EXPECT_TRUE(player.IsOpen());
  EXPECT_EQ(player.Length(), 3000);
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_EQ(player.TimeFormat(), kTimeFormatMilliseconds);
  ASSERT_EQ(media.OpenRequests().size(), 1u);
  EXPECT_EQ(media.OpenRequests()[0].path, "/m/a.wav");
  EXPECT_EQ(media.OpenRequests()[0].deviceType, "");

  Call([&] { player.Play(); });
  EXPECT_EQ(player.Mode(), mpPlaying);
  time.Advance(1250);
  EXPECT_EQ(player.Position(), 1250);
  time.Advance(1749);
  EXPECT_TRUE(notices.empty());
  time.Advance(1);
  ASSERT_EQ(Values(), V{nvSuccessful});
  EXPECT_EQ(notices[0].at, 3700);
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_EQ(player.Position(), 3000);
  time.Advance(10000);
  EXPECT_EQ(notices.size(), 1u);
}

TEST_F(MediaPlayerTest, StopCloseAndSeekAbortThePlayAndNeverReportSuccess) {
  OpenFile("/m/a.wav");
  Call([&] { player.Play(); });
  time.Advance(1000);
  Call([&] { player.Stop(); });
  EXPECT_TRUE(notices.empty()) << "the notice is queued, not delivered inside Stop";
  time.RunDue();
  EXPECT_EQ(Values(), V{nvAborted});
  EXPECT_EQ(player.Mode(), mpStopped);
  time.Advance(5000);
  EXPECT_EQ(player.Position(), 1000) << "Stop leaves the position where it stopped";
  EXPECT_EQ(Values(), V{nvAborted});

  Call([&] { player.Play(); });
  time.Advance(500);
  Call([&] { player.SetPosition(200); });
  time.Advance(5000);
  EXPECT_EQ(Values(), (V{nvAborted, nvAborted}));
  EXPECT_EQ(player.Mode(), mpStopped) << "a seek leaves the device stopped";
  EXPECT_EQ(player.Position(), 200);

  Call([&] { player.Play(); });
  time.Advance(100);
  Call([&] { player.Close(); });
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(media.IsOpen());
  EXPECT_EQ(media.CloseCount(), 1);
  time.Advance(5000);
  EXPECT_EQ(Values(), (V{nvAborted, nvAborted, nvAborted}));
}

TEST_F(MediaPlayerTest, ANewerPlaySupersedesTheEarlierNotice) {
  OpenFile("/m/a.wav");
  Call([&] { player.Play(); });
  time.Advance(1000);
  Call([&] { player.Play(); });  // continues from where it stands
  time.Advance(1999);
  EXPECT_EQ(Values(), V{nvSuperseded});
  time.Advance(1);
  EXPECT_EQ(Values(), (V{nvSuperseded, nvSuccessful}));
  EXPECT_EQ(notices[1].at, 3000);
}

TEST_F(MediaPlayerTest, OpenClosesTheOpenDeviceFirst) {
  OpenFile("/m/a.wav");
  Call([&] { player.Play(); });
  time.Advance(100);
  OpenFile("/m/b.mid");
  EXPECT_EQ(media.CloseCount(), 1);
  EXPECT_EQ(media.OpenStreamCount(), 1);
  EXPECT_EQ(media.OpenPath(), "/m/b.mid");
  EXPECT_EQ(player.Length(), 5000);
  EXPECT_EQ(player.Position(), 0);
  time.Advance(10000);
  EXPECT_EQ(Values(), V{nvAborted}) << "the first file's play must not report success";
}

TEST_F(MediaPlayerTest, AFailedOpenRaisesTheBackEndsTextAndLeavesTheDeviceClosed) {
  media.AddFailingFile("/m/bad.wav", QStringLiteral("Internal data stream error."));
  media.AddFailingFile("/m/mute.wav", QString());
  OpenFile("/m/a.wav");

  player.FileName = "/m/bad.wav";
  EXPECT_EQ(ErrorOf([&] { player.Open(); }), "Internal data stream error.");
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(media.IsOpen()) << "the device open before was closed first";
  EXPECT_EQ(ErrorOf([&] { player.Length(); }), "No MCI device open");

  player.FileName = "/m/mute.wav";
  EXPECT_EQ(ErrorOf([&] { player.Open(); }), "Unknown error code");
  player.FileName = "";
  EXPECT_EQ(ErrorOf([&] { player.Open(); }), "Resource not found.");
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(media.OpenCount(), 4);
  EXPECT_EQ(media.FailedOpenCount(), 3);
}

TEST_F(MediaPlayerTest, OperationsThatNeedAnOpenDeviceSaySoWhenClosed) {
  const QString msg = QStringLiteral("No MCI device open");
  EXPECT_EQ(ErrorOf([&] { player.Play(); }), msg);
  EXPECT_EQ(ErrorOf([&] { player.Stop(); }), msg);
  EXPECT_EQ(ErrorOf([&] { player.Pause(); }), msg);
  EXPECT_EQ(ErrorOf([&] { player.SetPosition(0); }), msg);
  EXPECT_EQ(ErrorOf([&] { player.Length(); }), msg);
  EXPECT_EQ(ErrorOf([&] { player.TrackLength(1); }), msg);
  // These raise nothing.
  EXPECT_EQ(ErrorOf([&] {
              player.Close();
              player.SetStartPos(5);
              player.SetTimeFormat(0);
              player.Position();
              player.TrackPosition(1);
              player.Mode();
            }),
            "<no error>");
  EXPECT_NE(player.Error(), 0) << "setting the time format of no device is recorded as failed";
  EXPECT_EQ(player.Mode(), mpNotReady);
  EXPECT_EQ(media.CloseCount(), 0);
  EXPECT_TRUE(media.OpenRequests().empty());
}

TEST_F(MediaPlayerTest, StartPosIsUsedByTheNextPlayOnly) {
  OpenFile("/m/b.mid");
  player.SetStartPos(2000);
  EXPECT_EQ(media.SeekCount(), 0) << "setting StartPos sends nothing";
  Call([&] { player.Play(); });
  EXPECT_EQ(player.Position(), 2000);
  time.Advance(500);
  Call([&] { player.Stop(); });
  Call([&] { player.Play(); });
  EXPECT_EQ(player.Position(), 2500) << "the second Play continues where the device stands";
  time.Advance(2500);
  EXPECT_EQ(Values(), (V{nvAborted, nvSuccessful}));
}

TEST_F(MediaPlayerTest, PlayNeverRewindsByItselfAlsoAtTheEnd) {
  OpenFile("/m/a.wav");
  Call([&] { player.Play(); });
  time.Advance(3000);
  ASSERT_EQ(Values(), V{nvSuccessful});
  Call([&] { player.Play(); });
  EXPECT_EQ(player.Position(), 3000);
  time.RunDue();
  EXPECT_EQ(Values(), (V{nvSuccessful, nvSuccessful}));
  EXPECT_EQ(player.Position(), 3000);

  player.SetStartPos(0);
  Call([&] { player.Play(); });
  time.Advance(1000);
  EXPECT_EQ(player.Position(), 1000);
}

TEST_F(MediaPlayerTest, PauseTogglesAndResumingAsksForANewNotice) {
  OpenFile("/m/a.wav");
  Call([&] { player.Pause(); });  // stopped: nothing
  EXPECT_EQ(player.Mode(), mpStopped);

  Call([&] { player.Play(); });
  time.Advance(1000);
  Call([&] { player.Pause(); });
  EXPECT_EQ(player.Mode(), mpPaused);
  time.Advance(4000);
  EXPECT_EQ(player.Position(), 1000);
  EXPECT_TRUE(notices.empty()) << "pausing ends no play";

  Call([&] { player.Pause(); });
  EXPECT_EQ(player.Mode(), mpPlaying);
  time.Advance(1999);
  EXPECT_EQ(Values(), V{nvSuperseded});
  time.Advance(1);
  EXPECT_EQ(Values(), (V{nvSuperseded, nvSuccessful}));
  EXPECT_EQ(notices[1].at, 7000);
}

TEST_F(MediaPlayerTest, AResumeThatFailsFallsBackToPlay) {
  OpenFile("/m/a.wav");
  Call([&] { player.Play(); });
  time.Advance(1000);
  Call([&] { player.Pause(); });
  media.SetResumeFails(true);
  const int playsBefore = media.PlayCount();
  Call([&] { player.Pause(); });
  EXPECT_EQ(player.Mode(), mpPlaying);
  EXPECT_EQ(media.PlayCount(), playsBefore + 1);
  EXPECT_EQ(player.Position(), 1000);
  time.Advance(2000);
  EXPECT_EQ(Values(), (V{nvSuperseded, nvSuccessful}));
}

TEST_F(MediaPlayerTest, APlayThatBreaksOffReportsFailure) {
  media.AddFileFailingInPlay("/m/cut.avi", 4000, 1500);
  OpenFile("/m/cut.avi");
  Call([&] { player.Play(); });
  time.Advance(1500);
  EXPECT_EQ(Values(), V{nvFailure});
  EXPECT_EQ(notices[0].at, 1500);
  EXPECT_EQ(player.Mode(), mpStopped);
}

TEST_F(MediaPlayerTest, TheDeviceDecidesWhatIsACdTrackByTheExactEndingAndPassesTheTrack) {
  media.SetCD({60000, 90000, 30000});
  media.AddFile("/m/TRACK03.CDA", 4000);
  // Automatic selection with the exact ending: the disc, starting at the named track; the time
  // format stays milliseconds (only a CD device type asks for TMSF).
  OpenFile("/cd/Track03.cda");
  EXPECT_EQ(media.OpenRequests().back().deviceType, "CDAudio");
  EXPECT_EQ(media.OpenRequests().back().cdTrack, 3);
  EXPECT_EQ(player.TimeFormat(), kTimeFormatMilliseconds);
  EXPECT_EQ(player.Length(), 180000) << "the whole disc";

  // Any other case is a media file, opened by its path like any other.
  OpenFile("/m/TRACK03.CDA");
  EXPECT_EQ(media.OpenRequests().back().deviceType, "");
  EXPECT_EQ(player.Length(), 4000);

  // A track number that cannot be read still opens the disc (the player reports the number).
  OpenFile("/cd/Track7.cda");
  EXPECT_EQ(media.OpenRequests().back().deviceType, "CDAudio");
  EXPECT_EQ(media.OpenRequests().back().cdTrack, 1);
}

TEST_F(MediaPlayerTest, FileLengthMeasuresAsOpenWouldAndLeavesNoDeviceOpen) {
  OpenFile("/m/a.wav");
  player.FileName = "/m/b.mid";
  EXPECT_EQ(player.FileLength(), 5000);
  EXPECT_FALSE(player.IsOpen()) << "the device open before is closed first";
  EXPECT_FALSE(media.IsOpen());

  media.SetCD({60000, 90000});
  player.FileName = "/cd/Track01.cda";
  EXPECT_EQ(player.FileLength(), 150000) << "a CD track's file measures the disc";

  player.FileName = "/m/none.wav";
  EXPECT_EQ(ErrorOf([&] { player.FileLength(); }), "Resource not found: /m/none.wav");
  EXPECT_NE(player.Error(), 0);
  EXPECT_FALSE(player.IsOpen());
}

TEST_F(MediaPlayerTest, ACdTrackOpensTheDiscInTmsfAndPlaysOnPastTheTrack) {
  media.SetCD({60000, 90000, 30000});
  player.FileName = "/media/cdrom/Track02.cda";
  player.DeviceType = dtCDAudio;
  Call([&] { player.Open(); });
  EXPECT_EQ(media.OpenRequests().back().deviceType, "CDAudio");
  EXPECT_EQ(player.TimeFormat(), kTimeFormatTMSF);
  EXPECT_EQ(player.TrackPosition(2), 2) << "track 2 at 0:00:00";
  EXPECT_EQ(player.Length(), 3) << "a length reads as 3 minutes, 0 s, 0 frames";

  Call([&] { player.SetPosition(player.TrackPosition(2)); });
  player.SetTimeFormat(kTimeFormatMilliseconds);
  EXPECT_EQ(player.Position(), 60000);
  EXPECT_EQ(player.TrackPosition(2), 60000);
  EXPECT_EQ(player.TrackLength(2), 90000);
  EXPECT_EQ(player.Length(), 180000);

  Call([&] { player.Play(); });
  time.Advance(91500);
  EXPECT_EQ(player.Position(), 151500) << "the play goes on into track 3";
  EXPECT_EQ(player.Mode(), mpPlaying);
  player.SetTimeFormat(kTimeFormatTMSF);
  // Track 3, 0 min, 1 s, 500 ms = 37 frames.
  EXPECT_EQ(player.Position(), 3 | 0 << 8 | 1 << 16 | 37 << 24);
  EXPECT_EQ(player.Error(), 0);
  player.SetTimeFormat(kTimeFormatMilliseconds);
  EXPECT_TRUE(notices.empty());
  time.Advance(28500);
  EXPECT_EQ(Values(), V{nvSuccessful});

  // Seeking to a track the disc does not have is refused and recorded.
  player.SetTimeFormat(kTimeFormatTMSF);
  Call([&] { player.SetPosition(4); });
  EXPECT_NE(player.Error(), 0);
  player.SetTimeFormat(kTimeFormatMilliseconds);
  EXPECT_EQ(player.Position(), 180000);
}

TEST_F(MediaPlayerTest, TmsfPositionsRoundTripToTheSamePlace) {
  media.SetCD({61234, 45678});
  player.FileName = "/cd/Track01.cda";
  player.DeviceType = dtCDAudio;
  player.Open();
  for (std::int32_t ms : {0, 13, 14, 999, 61233, 61234, 61250, 100000}) {
    player.SetTimeFormat(kTimeFormatMilliseconds);
    player.SetPosition(ms);
    player.SetTimeFormat(kTimeFormatTMSF);
    const std::int32_t tmsf = player.Position();
    player.SetPosition(tmsf);
    player.SetTimeFormat(kTimeFormatMilliseconds);
    // A frame is 13.3 ms: the packed value lands on a frame boundary at or before ms.
    EXPECT_LE(player.Position(), ms) << ms;
    EXPECT_GT(player.Position(), ms - 14) << ms;
  }
}

TEST_F(MediaPlayerTest, StartPosSurvivesTheOpenOfACdTrack) {
  media.SetCD({60000, 90000});
  player.SetStartPos(75000);  // the position bar was moved while idle
  player.FileName = "/cd/Track02.cda";
  player.DeviceType = dtCDAudio;
  player.Open();
  player.SetPosition(player.TrackPosition(2));
  player.SetTimeFormat(kTimeFormatMilliseconds);
  Call([&] { player.Play(); });
  EXPECT_EQ(player.Position(), 75000);
}

TEST_F(MediaPlayerTest, FilesOnlyKnowMillisecondsAndOneTrack) {
  OpenFile("/m/a.wav");
  player.SetTimeFormat(kTimeFormatTMSF);
  EXPECT_NE(player.Error(), 0);
  EXPECT_EQ(player.TimeFormat(), kTimeFormatMilliseconds);
  EXPECT_EQ(player.TrackLength(1), 3000);
  EXPECT_EQ(player.TrackPosition(1), 0);
  EXPECT_EQ(player.TrackLength(2), 0);
  EXPECT_NE(player.Error(), 0);
}

TEST_F(MediaPlayerTest, ACdTrackFileOpensTheDiscAlsoWithAutoSelect) {
  media.SetCD({60000, 90000});
  OpenFile("/cd/Track02.cda");
  EXPECT_EQ(player.TimeFormat(), kTimeFormatMilliseconds);
  EXPECT_EQ(player.Length(), 150000);

  media.EjectCD();
  player.FileName = "/cd/Track02.cda";
  player.DeviceType = dtCDAudio;
  EXPECT_EQ(ErrorOf([&] { player.Open(); }), "No disc in the CD drive.");
  EXPECT_FALSE(player.IsOpen());
}

TEST(MediaPlayerLifetime, NoNoticeReachesADeviceThatIsGone) {
  VirtualTime time;
  SimulatedMediaBackend media(time);
  media.AddFile("/m/a.wav", 1000);
  int calls = 0;
  {
    TMediaPlayer player(media);
    player.OnNotify = [&](QObject*) { ++calls; };
    player.FileName = "/m/a.wav";
    player.Open();
    player.Play();
    player.Stop();  // queues an aborted notice
    player.Play();
  }
  EXPECT_FALSE(media.IsOpen());
  time.Advance(5000);
  EXPECT_EQ(calls, 0);
}

}  // namespace
