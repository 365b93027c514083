// The file manager's side of a drag, for the drop test: a window in the screen's bottom right
// corner that, when the mouse button goes down on it, drags the files named on its command line
// (as file URIs) until the button goes up. It prints the action the drop target chose and, once
// the target has had time to fetch the data, ends with 0 when the target took the drop.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
    setWindowTitle(QStringLiteral("Drag source"));
  }

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* data = new QMimeData;
    data->setUrls(urls_);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction action = drag->exec(Qt::CopyAction);
    std::printf("drop action %d\n", static_cast<int>(action));
    std::fflush(stdout);
    // The target fetches the data after the drop, from this program: it stays a while.
    QTimer::singleShot(3000,
                       [action] { QCoreApplication::exit(action == Qt::CopyAction ? 0 : 1); });
  }

 private:
  QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QList<QUrl> urls;
  for (const QString& arg : QApplication::arguments().mid(1)) urls << QUrl::fromLocalFile(arg);
  DragSource source(urls);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  source.setGeometry(screen.right() - 200, screen.bottom() - 200, 150, 150);
  source.show();
  return QApplication::exec();
}
