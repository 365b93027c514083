// The window a video plays in, on the real X display under the real window manager: videos made
// in the test play through GStreamer's default video sink, and the desktop tools (xprop,
// xdotool, xwininfo, import) see and drive the window as a user's desktop does. A screenshot is
// kept in the build folder (artifacts/video-window.png) for a person to look at.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QWindow>

#include "platform/media/GstMediaBackend.h"
#include "platform/media/TestMedia.h"
#include "platform/media/VideoWindow.h"
#include "player/MediaPlayer.h"
#include "support/TempDir.h"

using namespace ostrivo;
using namespace ostrivo::test;

namespace {

// A video of the colour-bar picture, width x height, `seconds` long at 2 frames a second.
std::string MakeVideo(const QString& path, int width, int height, int seconds) {
  return RunPipeline(
      "videotestsrc pattern=smpte num-buffers=" + std::to_string(seconds * 2) +
      " ! video/x-raw,width=" + std::to_string(width) + ",height=" + std::to_string(height) +
      ",framerate=2/1 ! jpegenc ! avimux ! filesink location=\"" + path.toStdString() + "\"");
}

// Runs a desktop tool to its end while the event loop goes on (the tool may wait for the
// program's windows); its output.
QString Tool(const QString& program, const QStringList& arguments) {
  QProcess run;
  run.start(program, arguments);
  if (!run.waitForStarted(5000)) return QStringLiteral("<%1 did not start>").arg(program);
  ProcessEventsUntil([&] { return run.state() == QProcess::NotRunning; }, 15000);
  if (run.state() != QProcess::NotRunning) run.kill();
  run.waitForFinished(1000);
  return QString::fromLocal8Bit(run.readAllStandardOutput());
}

QString Id(WId id) {
  return QString::number(quint64(id));
}

// The client windows the window manager manages, as it announces them.
QStringList ManagedWindows() {
  const QString list =
      Tool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
  QStringList ids;
  const QRegularExpression hex(QStringLiteral("0x[0-9a-f]+"));
  for (auto it = hex.globalMatch(list); it.hasNext();)
    ids << QString::number(it.next().captured().toULongLong(nullptr, 16));
  return ids;
}

// The program's video windows on the screen.
QList<VideoWindow*> ShownVideoWindows() {
  QList<VideoWindow*> shown;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* video = dynamic_cast<VideoWindow*>(w); video && video->isVisible()) shown << video;
  return shown;
}

int DistinctColours(const QImage& image, const QRect& area) {
  QSet<QRgb> colours;
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); y += 3)
    for (int x = inside.left(); x <= inside.right(); x += 3) colours.insert(image.pixel(x, y));
  return int(colours.size());
}

bool AllBlack(const QImage& image, const QRect& area) {
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); y += 2)
    for (int x = inside.left(); x <= inside.right(); x += 2)
      if (qGray(image.pixel(x, y)) > 16) return false;
  return !inside.isEmpty();
}

class VideoWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    files = new TempDir;
    bigVideo = files->File(QStringLiteral("Harbour at night.avi")).toLocal8Bit();
    smallVideo = files->File(QStringLiteral("small.avi")).toLocal8Bit();
    sound = files->Write(QStringLiteral("tone.wav"), WavBytes(3000)).toLocal8Bit();
    // Larger than the test desktop's 1280x1024 screen, and of another shape (16:10).
    made = MakeVideo(QString::fromLocal8Bit(bigVideo), 1920, 1200, 30) +
           MakeVideo(QString::fromLocal8Bit(smallVideo), 320, 180, 30);
  }
  static void TearDownTestSuite() {
    delete files;
    files = nullptr;
  }

  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "needs an X display (the tests' desktop)";
    ASSERT_EQ(made, "") << "the videos could not be made";
    // The system's default video sink, as the program uses; the sound is not heard.
    qunsetenv("OSTRIVO_VIDEO_SINK");
    qputenv("OSTRIVO_AUDIO_SINK", "fakesink sync=true");
    QPixmap icon(32, 32);
    icon.fill(Qt::darkCyan);
    QApplication::setWindowIcon(QIcon(icon));
    player.OnWindowClose = [this](QObject* sender) {
      EXPECT_EQ(sender, &player);
      ++closes;
    };
  }

  void TearDown() override {
    player.Close();
    ProcessEventsFor(100);
  }

  void OpenAndPlay(const QByteArray& path) {
    player.FileName = path;
    player.Open();
    player.Play();
  }

  // The window once the window manager has framed it, and Qt knows its frame.
  VideoWindow* WaitForWindow() {
    VideoWindow* window = nullptr;
    ProcessEventsUntil(
        [&] {
          const auto shown = ShownVideoWindows();
          window = shown.isEmpty() ? nullptr : shown.front();
          return window && !window->windowHandle()->frameMargins().isNull() &&
                 ManagedWindows().contains(Id(window->winId()));
        },
        15000);
    ProcessEventsFor(300);  // placed again, if the frame differed from what was assumed
    return window;
  }

  QImage Screenshot(const QString& name) {
    const QString dir = qEnvironmentVariable("OSTRIVO_BINARY_DIR") + QStringLiteral("/artifacts");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name;
    QFile::remove(path);
    Tool(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
    return QImage(path);
  }

  // Keys and the mouse as the user gives them, to the window the window manager made active.
  void Activate(VideoWindow* window) {
    Tool(QStringLiteral("xdotool"),
         {QStringLiteral("windowactivate"), QStringLiteral("--sync"), Id(window->winId())});
    ProcessEventsUntil([&] { return window->isActiveWindow(); }, 5000);
  }
  void Key(VideoWindow* window, const char* key) {
    Activate(window);
    Tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QLatin1String(key)});
  }
  void DoubleClick(VideoWindow* window) {
    Activate(window);
    const QPoint middle = window->mapToGlobal(window->rect().center());
    Tool(QStringLiteral("xdotool"),
         {QStringLiteral("mousemove"), QString::number(middle.x()), QString::number(middle.y()),
          QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
          QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
  }

  static inline TempDir* files = nullptr;
  static inline QByteArray bigVideo, smallVideo, sound;
  static inline std::string made;
  GstMediaBackend media;
  TMediaPlayer player{media};
  int closes = 0;
};

TEST_F(VideoWindowTest, ABigVideoPlaysInATitledWindowOfItsOwnThatFitsTheScreenInItsShape) {
  OpenAndPlay(bigVideo);
  VideoWindow* window = WaitForWindow();
  ASSERT_NE(window, nullptr) << "no window shows the video";

  // A top-level window of the program's own, the only one the desktop manages: the sink made
  // no bare window of its own.
  EXPECT_TRUE(window->isWindow());
  EXPECT_EQ(ManagedWindows(), QStringList{Id(window->winId())});
  const QString props = Tool(QStringLiteral("xprop"),
                             {QStringLiteral("-id"), Id(window->winId()),
                              QStringLiteral("_NET_WM_NAME"), QStringLiteral("_NET_WM_ICON")});
  EXPECT_TRUE(props.contains(QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"") +
                             QString::fromLocal8Bit(bigVideo) + QLatin1Char('"')))
      << props.left(300).toStdString();
  EXPECT_TRUE(props.contains(QStringLiteral("_NET_WM_ICON(CARDINAL) = ")))
      << props.left(300).toStdString();

  // Shrunk to the work area with its frame, whole on the screen, in the picture's shape.
  const QRect area = window->screen()->availableGeometry();
  EXPECT_TRUE(area.contains(window->frameGeometry()))
      << "frame " << window->frameGeometry().x() << "," << window->frameGeometry().y() << " "
      << window->frameGeometry().width() << "x" << window->frameGeometry().height();
  EXPECT_GT(window->width(), area.width() * 9 / 10) << "shrunk no more than it must";
  const QRect picture = window->PictureRect();
  EXPECT_NEAR(double(picture.width()) / picture.height(), 1920.0 / 1200.0, 0.01);
  EXPECT_TRUE(window->rect().contains(picture));
  // What the window manager sees of the window: where Qt put it.
  const QString info =
      Tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), Id(window->winId())});
  EXPECT_TRUE(info.contains(QStringLiteral("Width: %1\n").arg(window->width())))
      << info.toStdString();
  EXPECT_TRUE(
      info.contains(QStringLiteral("Absolute upper-left Y:  %1\n").arg(window->geometry().y())))
      << info.toStdString();

  // The colour bars are drawn inside the window, on the picture's part of it.
  ProcessEventsFor(1500);
  const QImage shot = Screenshot(QStringLiteral("video-window.png"));
  ASSERT_FALSE(shot.isNull());
  const QRect onScreen(window->mapToGlobal(picture.topLeft()), picture.size());
  EXPECT_GT(DistinctColours(shot, onScreen.adjusted(4, 4, -4, -4)), 8);
  // Yellow in the second bar from the left, blue in the last, in the upper part.
  const QRgb yellow = shot.pixel(onScreen.left() + onScreen.width() * 3 / 14,
                                 onScreen.top() + onScreen.height() / 3);
  const QRgb blue = shot.pixel(onScreen.left() + onScreen.width() * 13 / 14,
                               onScreen.top() + onScreen.height() / 3);
  EXPECT_GT(qRed(yellow), 150);
  EXPECT_GT(qGreen(yellow), 150);
  EXPECT_LT(qBlue(yellow), 100);
  EXPECT_GT(qBlue(blue), 150);
  EXPECT_LT(qRed(blue), 100);
}

TEST_F(VideoWindowTest, ASmallVideoShowsAtItsNaturalSizeInTheMiddleOfTheWorkArea) {
  OpenAndPlay(smallVideo);
  VideoWindow* window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->size(), QSize(320, 180));
  EXPECT_EQ(window->PictureRect(), QRect(0, 0, 320, 180));
  const QRect area = window->screen()->availableGeometry();
  const QRect frame = window->frameGeometry();
  EXPECT_TRUE(area.contains(frame));
  EXPECT_NEAR(frame.center().x(), area.center().x(), 2);
  EXPECT_NEAR(frame.center().y(), area.center().y(), 2);
}

TEST_F(VideoWindowTest, F11AndADoubleClickToggleFullScreenAndEscapeLeavesIt) {
  OpenAndPlay(bigVideo);
  VideoWindow* window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  const QRect normal = window->geometry();
  const QRect screen = window->screen()->geometry();
  auto fullScreen = [&] {
    return ProcessEventsUntil(
        [&] { return window->isFullScreen() && window->geometry() == screen; }, 5000);
  };
  auto back = [&] {
    return ProcessEventsUntil(
        [&] { return !window->isFullScreen() && window->geometry() == normal; }, 5000);
  };

  Key(window, "F11");
  ASSERT_TRUE(fullScreen()) << "F11 makes the window full screen";
  // The picture keeps its shape on the 5:4 screen: black bars above and below it.
  const QRect picture = window->PictureRect();
  EXPECT_EQ(picture.width(), screen.width());
  EXPECT_NEAR(picture.height(), screen.width() * 1200 / 1920, 1);
  EXPECT_NEAR(picture.top(), (screen.height() - picture.height()) / 2, 1);
  ProcessEventsFor(1500);
  const QImage shot = Screenshot(QStringLiteral("video-window-full-screen.png"));
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(AllBlack(shot, QRect(0, 0, screen.width(), picture.top() - 2)));
  EXPECT_TRUE(AllBlack(shot, QRect(0, picture.bottom() + 3, screen.width(),
                                   screen.height() - picture.bottom() - 3)));
  EXPECT_GT(DistinctColours(shot, picture.adjusted(4, 4, -4, -4)), 8);

  Key(window, "Escape");
  EXPECT_TRUE(back()) << "Escape leaves full screen";
  Key(window, "Escape");
  ProcessEventsFor(300);
  EXPECT_FALSE(window->isFullScreen()) << "Escape does not enter full screen";
  Key(window, "F11");
  EXPECT_TRUE(fullScreen());
  Key(window, "F11");
  EXPECT_TRUE(back()) << "F11 toggles";

  DoubleClick(window);
  EXPECT_TRUE(fullScreen()) << "a double click makes the window full screen";
  DoubleClick(window);
  EXPECT_TRUE(back()) << "a second double click returns it";
  EXPECT_EQ(closes, 0);
}

TEST_F(VideoWindowTest, ClosingTheWindowTellsTheDeviceAndClosingTheMediumTakesTheWindowAway) {
  OpenAndPlay(smallVideo);
  VideoWindow* window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  // Closed the way the user closes it: the window manager's close (Alt+F4).
  Key(window, "alt+F4");
  ASSERT_TRUE(ProcessEventsUntil([&] { return closes == 1; }, 5000));
  EXPECT_TRUE(ShownVideoWindows().isEmpty());
  EXPECT_TRUE(player.IsOpen()) << "what closing means is the device's owner's business";

  // Played again and then closed: the window goes with the medium.
  player.Close();
  OpenAndPlay(smallVideo);
  window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  player.Close();
  ProcessEventsFor(300);
  bool anyLeft = false;
  for (QWidget* w : QApplication::topLevelWidgets())
    anyLeft |= dynamic_cast<VideoWindow*>(w) != nullptr;
  EXPECT_FALSE(anyLeft);
  EXPECT_TRUE(ManagedWindows().isEmpty());
  EXPECT_EQ(closes, 1);

  // The next entry's Open closes the window of the one before.
  OpenAndPlay(smallVideo);
  ASSERT_NE(WaitForWindow(), nullptr);
  OpenAndPlay(sound);
  ProcessEventsFor(500);
  EXPECT_TRUE(ShownVideoWindows().isEmpty());
  EXPECT_TRUE(ManagedWindows().isEmpty());
}

TEST_F(VideoWindowTest, SoundAndAVideoPreparedAheadShowNoWindow) {
  OpenAndPlay(sound);
  // The video the list will play next gets ready meanwhile: it draws nowhere.
  player.Prepare(smallVideo);
  ProcessEventsFor(2000);
  EXPECT_TRUE(ShownVideoWindows().isEmpty());
  EXPECT_TRUE(ManagedWindows().isEmpty()) << "no window of the sink's own either";

  // Its turn: it plays in its own window, with its picture.
  OpenAndPlay(smallVideo);
  VideoWindow* window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ManagedWindows(), QStringList{Id(window->winId())});
  ProcessEventsFor(1000);
  const QImage shot = Screenshot(QStringLiteral("video-window-small.png"));
  const QRect onScreen(window->mapToGlobal(QPoint(0, 0)), window->size());
  EXPECT_GT(DistinctColours(shot, onScreen.adjusted(2, 2, -2, -2)), 8);
}

// The sink the system would choose is one X can show in the window: the kernel's mode-setting
// sink, which autovideosink tries before ximagesink, is none of its candidates any more.
TEST_F(VideoWindowTest, TheDefaultSinkIsChosenAmongThoseAnXWindowCanShow) {
  GstElementFactory* kms = gst_element_factory_find("kmssink");
  if (!kms) GTEST_SKIP() << "no mode-setting sink installed";
  gst_object_unref(kms);
  OpenAndPlay(smallVideo);
  ASSERT_NE(WaitForWindow(), nullptr);
  // autovideosink's candidates: the video sinks of rank marginal and above.
  GList* candidates = gst_element_factory_list_get_elements(
      GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO, GST_RANK_MARGINAL);
  QStringList names;
  for (GList* it = candidates; it; it = it->next)
    names << QString::fromUtf8(GST_OBJECT_NAME(it->data));
  gst_plugin_feature_list_free(candidates);
  EXPECT_FALSE(names.contains(QStringLiteral("kmssink"))) << names.join(' ').toStdString();
  EXPECT_TRUE(names.contains(QStringLiteral("ximagesink"))) << names.join(' ').toStdString();
}

}  // namespace
