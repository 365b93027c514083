#include <gtest/gtest.h>

#include "framework/Exceptions.h"
#include "player/Entries.h"

using namespace ostrivo;

TEST(EntryKind, MarksAreTestedByTheirExactPrefix) {
  EXPECT_EQ(EntryKind("Stop"), TEntryKind::StopMark);
  EXPECT_EQ(EntryKind("Stop now"), TEntryKind::StopMark);
  EXPECT_EQ(EntryKind("Stopwatch.wav"), TEntryKind::StopMark);
  EXPECT_EQ(EntryKind("Quit"), TEntryKind::QuitMark);
  EXPECT_EQ(EntryKind("Quitting.mid"), TEntryKind::QuitMark);
  EXPECT_EQ(EntryKind("Pause: 3"), TEntryKind::PauseMark);
  EXPECT_EQ(EntryKind("Pause: "), TEntryKind::PauseMark);
  EXPECT_EQ(EntryKind("stop"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("STOP"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("Sto"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("Pause:3"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("pause: 3"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("Pause:"), TEntryKind::MediaFile);
}

TEST(EntryKind, PicturesAndTracksAreTestedByTheirEnding) {
  EXPECT_EQ(EntryKind("C:\\Pictures\\Sea.JPG"), TEntryKind::Picture);
  EXPECT_EQ(EntryKind("/home/u/a.Bmp"), TEntryKind::Picture);
  EXPECT_EQ(EntryKind("x.jpg"), TEntryKind::Picture);
  EXPECT_EQ(EntryKind(".jpg"), TEntryKind::Picture);
  EXPECT_EQ(EntryKind("C:\\Pictures\\Sea.JPG "), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("x.jpeg"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("x.gif"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("D:\\Track01.cda"), TEntryKind::CDTrack);
  EXPECT_EQ(EntryKind("D:\\TRACK01.CDA"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind("D:\\Track01.Cda"), TEntryKind::MediaFile);
  // Only A-Z are lowered: a non-ASCII byte never makes a picture.
  EXPECT_EQ(EntryKind("x.jp\xc7"), TEntryKind::MediaFile);
}

TEST(EntryKind, TheFirstPassingTestWins) {
  EXPECT_EQ(EntryKind("Stop.jpg"), TEntryKind::StopMark);
  EXPECT_EQ(EntryKind("Quit.cda"), TEntryKind::QuitMark);
  EXPECT_EQ(EntryKind("Pause: 5.bmp"), TEntryKind::PauseMark);
  EXPECT_EQ(EntryKind("a.jpg.cda"), TEntryKind::CDTrack);
  EXPECT_EQ(EntryKind("a.cda.jpg"), TEntryKind::Picture);
}

TEST(EntryKind, ShortAndEmptyEntriesAreMediaFiles) {
  EXPECT_EQ(EntryKind("ab"), TEntryKind::MediaFile);
  EXPECT_EQ(EntryKind(""), TEntryKind::MediaFile);
  EXPECT_TRUE(IsMediaEntry(QByteArray()));
  EXPECT_FALSE(IsMediaEntry(QByteArray("Stop")));
  EXPECT_FALSE(IsMediaEntry(QByteArray("a.bmp")));
  EXPECT_TRUE(IsMediaEntry(QByteArray("Track02.cda")));
}

TEST(PauseSeconds, ReadsTheNumberAfterThePrefix) {
  EXPECT_EQ(PauseSeconds("Pause: 10"), 10);
  EXPECT_EQ(PauseSeconds("Pause: 0"), 0);
  EXPECT_EQ(PauseSeconds("Pause:  10"), 10);
  EXPECT_EQ(PauseSeconds("Pause: -4"), -4);
  EXPECT_EQ(PauseSeconds("Pause: $A"), 10);
  EXPECT_THROW(PauseSeconds("Pause: 5.bmp"), EConvertError);
  EXPECT_THROW(PauseSeconds("Pause: "), EConvertError);
  EXPECT_THROW(PauseSeconds("Pause: 10 "), EConvertError);
  try {
    PauseSeconds("Pause: 5.bmp");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'5.bmp' is not a valid integer value");
  }
}

TEST(TrackNumber, ReadsTheTwoCharactersBeforeTheEnding) {
  EXPECT_EQ(TrackNumber("D:\\Track07.cda"), 7);
  EXPECT_EQ(TrackNumber("D:\\Track12.cda"), 12);
  EXPECT_EQ(TrackNumber("/media/cdrom/Track99.cda"), 99);
  EXPECT_EQ(TrackNumber("Track 3.cda"), 3);  // " 3": a leading blank is allowed
  try {
    TrackNumber("D:\\Track7.cda");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'k7' is not a valid integer value");
  }
  EXPECT_THROW(TrackNumber(".cda"), EConvertError);
  EXPECT_THROW(TrackNumber("a.cda"), EConvertError);
}

TEST(EntryExtension, IsTheLastFourCharacters) {
  EXPECT_EQ(EntryExtension("song.wav"), ".wav");
  EXPECT_EQ(EntryExtension("ab"), "ab");
  EXPECT_EQ(EntryExtension(""), "");
}
