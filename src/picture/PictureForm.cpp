// The picture window's design and its operations: border, automatic scrolling, showing
// maximized on top, focus, scroll reset and colour. The picture control TImage lives here too.
#include <QApplication>
#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "app/Forms.h"
#include "picture/PictureUnit.h"

namespace ostrivo {

// ---- TImage ----

TImage::TImage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Image1"));
  // The mouse handlers hear every move, with or without a button held.
  setMouseTracking(true);
  // The picture covers the control; what it leaves free shows the window's colour.
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TImage::Load(PictureFile file) {
  source_ = std::move(file);
  natural_ = source_->NaturalSize();
  // The last picture goes first: the two are never held at once.
  picture_ = QImage();
  smaller_ = QImage();
  resize(natural_);
  update();
}

void TImage::Decode() {
  if (!source_) return;
  const int scale = DecodeScale(natural_, Shown());
  rows_ = 0;
  picture_ = source_->Decode(
      scale, [this](const QImage& partial, int rows) { UpdateProgress(partial, rows); });
  smaller_ = QImage();
  if (scale == 1) source_.reset();  // nothing more to decode
  update();
}

void TImage::DecodeDetail() {
  if (!source_) return;
  const QSize shown = Shown();
  if (shown.width() <= picture_.width() && shown.height() <= picture_.height()) return;
  // The less detailed picture stays on the screen until the whole one is there.
  picture_ = source_->Decode(1);
  smaller_ = QImage();
  source_.reset();
  update();
}

void TImage::SetPicture(QImage picture) {
  source_.reset();
  picture_ = std::move(picture);
  smaller_ = QImage();
  natural_ = picture_.size();
  partial_ = nullptr;
  resize(natural_);
  update();
}

void TImage::UpdateProgress(const QImage& partial, int rows) {
  if (partial.height() == 0) return;
  const int before = rows_;
  partial_ = &partial;
  rows_ = std::clamp(rows, 0, partial.height());
  // Only the band decoded since the last call is drawn: the rows above it are on the screen.
  const QSize shown = Shown();
  auto y = [&](int row) {
    return static_cast<int>(std::int64_t{row} * shown.height() / partial.height());
  };
  const int top = before < rows_ ? y(before) - 1 : 0;
  repaint(QRect(0, top, shown.width(), y(rows_) - top + 1));
  partial_ = nullptr;
}

QSize TImage::Shown() const {
  return stretch_ ? size() : natural_;
}

void TImage::SetStretch(bool on) {
  if (stretch_ == on) return;
  stretch_ = on;
  update();
}

int TImage::Left() const {
  return x();
}
int TImage::Top() const {
  return y();
}
namespace {
// The toolkit keeps a widget's rectangle in int. However far the picture is zoomed or
// scrolled, a side stays within the toolkit's largest widget size and a place keeps the far
// edges within the integer range.
constexpr int kLargestSide = QWIDGETSIZE_MAX;
constexpr int64_t kFarthest = int64_t{std::numeric_limits<int>::max()} - kLargestSide;

int Side(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, 0, kLargestSide));
}
int Place(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), kFarthest));
}
}  // namespace

void TImage::SetLeft(int v) {
  move(Place(v), y());
  if (OnBoundsChanged) OnBoundsChanged();
}
void TImage::SetTop(int v) {
  move(x(), Place(v));
  if (OnBoundsChanged) OnBoundsChanged();
}
void TImage::SetWidth(int v) {
  resize(Side(v), height());
  if (OnBoundsChanged) OnBoundsChanged();
}
void TImage::SetHeight(int v) {
  resize(width(), Side(v));
  if (OnBoundsChanged) OnBoundsChanged();
}
void TImage::MoveBy(int64_t dx, int64_t dy) {
  move(Place(x() + dx), Place(y() + dy));
}

void TImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QSize shown = Shown();
  if (partial_) {
    // Incremental display: the rows decoded so far, where they will be in the whole picture.
    const int h = static_cast<int>(std::int64_t{rows_} * shown.height() / partial_->height());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(0, 0, shown.width(), h), *partial_, QRect(0, 0, partial_->width(), rows_));
    return;
  }
  if (picture_.isNull()) return;
  if (shown == picture_.size()) {
    p.drawImage(0, 0, picture_);
  } else if (std::int64_t{shown.width()} * 2 < picture_.width() ||
             std::int64_t{shown.height()} * 2 < picture_.height()) {
    // Less than half the size: bilinear sampling would skip pixels, so the picture is averaged
    // down, once for each size.
    if (smaller_.size() != shown)
      smaller_ = picture_.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    p.drawImage(0, 0, smaller_);
  } else {
    // Bilinear, clipped by the painter to what is exposed, so a picture zoomed far beyond the
    // screen costs no more than one that fits. DCT scaling leaves a picture less than twice the
    // size it is shown at (unless shown at less than an eighth): it is drawn here, uncached.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(QPoint(0, 0), shown), picture_);
  }
}

void TImage::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (OnBoundsChanged) OnBoundsChanged();
}

void TImage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (OnBoundsChanged) OnBoundsChanged();
}

// ---- TPictureForm ----

namespace {
constexpr int kScrollIncrement = 8;
}

TPictureForm::TPictureForm(Forms& forms) : QWidget(nullptr), forms_(forms) {
  setObjectName(QStringLiteral("PictureForm"));
  // Key preview: the window itself holds the focus, so it sees every key first.
  setFocusPolicy(Qt::StrongFocus);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Button));  // the standard face colour
  setPalette(pal);
  setAutoFillBackground(true);

  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("Client"));
  client_->setAutoFillBackground(true);
  client_->setFocusPolicy(Qt::NoFocus);

  hbar_ = new QScrollBar(Qt::Horizontal, this);
  vbar_ = new QScrollBar(Qt::Vertical, this);
  for (QScrollBar* bar : {hbar_, vbar_}) {
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setRange(0, 0);
    bar->setSingleStep(kScrollIncrement);
    bar->hide();
  }
  connect(hbar_, &QScrollBar::valueChanged, this, [this](int v) { ScrollTo(v, vpos_); });
  connect(vbar_, &QScrollBar::valueChanged, this, [this](int v) { ScrollTo(hpos_, v); });

  Image1 = new TImage(client_);
  Image1->installEventFilter(this);
  Image1->OnBoundsChanged = [this] { UpdateScrollRanges(); };

  SetTitleVisible(false);
  SetAutoScroll(true);
  resize(640, 480);
}

TPictureForm::~TPictureForm() {
  Image1->OnBoundsChanged = nullptr;
}

int TPictureForm::ClientWidth() const {
  return width() - (vbar_->isHidden() ? 0 : vbar_->sizeHint().width());
}

int TPictureForm::ClientHeight() const {
  return height() - (hbar_->isHidden() ? 0 : hbar_->sizeHint().height());
}

void TPictureForm::LayoutClient() {
  const int cw = ClientWidth(), ch = ClientHeight();
  client_->setGeometry(0, 0, std::max(cw, 0), std::max(ch, 0));
  hbar_->setGeometry(0, ch, std::max(cw, 0), height() - ch);
  vbar_->setGeometry(cw, 0, width() - cw, std::max(ch, 0));
  hbar_->setPageStep(std::max(cw, 1));
  vbar_->setPageStep(std::max(ch, 1));
}

void TPictureForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateScrollRanges();
  LayoutClient();
}

void TPictureForm::SetTitleVisible(bool on) {
  if (on == titleVisible_ && windowFlags().testFlag(Qt::Window)) return;
  titleVisible_ = on;
  Qt::WindowFlags flags = Qt::Window | Qt::WindowStaysOnTopHint;
  if (on)
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
  else
    flags |= Qt::FramelessWindowHint;
  setWindowFlags(flags);
}

void TPictureForm::SetAutoScroll(bool on) {
  autoScroll_ = on;
  if (!on) {
    // The ranges drop to zero: the view returns to the origin.
    ScrollTo(0, 0);
    for (QScrollBar* bar : {hbar_, vbar_}) {
      const QSignalBlocker block(bar);
      bar->setRange(0, 0);
      bar->setTracking(false);
      bar->hide();
    }
    LayoutClient();
    return;
  }
  hbar_->setTracking(true);
  vbar_->setTracking(true);
  UpdateScrollRanges();
}

void TPictureForm::UpdateScrollRanges() {
  if (!autoScroll_ || updatingRanges_) return;
  updatingRanges_ = true;
  // The picture in origin coordinates; everything from the origin to its far edges can be
  // scrolled to, and so can a part that lies left of or above the origin. A picture zoomed to
  // the integer limit reaches beyond it: the ranges stop at the limit.
  const int64_t left = int64_t{Image1->x()} + hpos_, top = int64_t{Image1->y()} + vpos_;
  const int64_t w = Image1->width(), h = Image1->height();
  const int barW = vbar_->sizeHint().width(), barH = hbar_->sizeHint().height();
  bool showH = false, showV = false;
  int64_t hmin = 0, hmax = 0, vmin = 0, vmax = 0;
  for (int pass = 0; pass < 3; ++pass) {
    const int64_t cw = width() - (showV ? barW : 0), ch = height() - (showH ? barH : 0);
    hmin = std::min<int64_t>(0, left);
    hmax = std::max<int64_t>(0, left + w - cw);
    vmin = std::min<int64_t>(0, top);
    vmax = std::max<int64_t>(0, top + h - ch);
    showH = hmax > hmin;
    showV = vmax > vmin;
  }
  hbar_->setVisible(showH);
  vbar_->setVisible(showV);
  LayoutClient();
  // Changing a range may move its position inside it, which scrolls (valueChanged).
  hbar_->setRange(SaturatedInt(hmin), SaturatedInt(hmax));
  vbar_->setRange(SaturatedInt(vmin), SaturatedInt(vmax));
  updatingRanges_ = false;
}

void TPictureForm::ScrollTo(int h, int v) {
  const int64_t dx = int64_t{h} - hpos_, dy = int64_t{v} - vpos_;
  if (dx == 0 && dy == 0) return;
  hpos_ = h;
  vpos_ = v;
  Image1->MoveBy(-dx, -dy);
}

void TPictureForm::SetHorzScrollPosition(int v) {
  if (!autoScroll_) return;
  hbar_->setValue(std::clamp(v, hbar_->minimum(), hbar_->maximum()));
  ScrollTo(hbar_->value(), vpos_);  // also when tracking is off
}

void TPictureForm::SetVertScrollPosition(int v) {
  if (!autoScroll_) return;
  vbar_->setValue(std::clamp(v, vbar_->minimum(), vbar_->maximum()));
  ScrollTo(hpos_, vbar_->value());
}

void TPictureForm::ResetScroll() {
  SetHorzScrollPosition(0);
  SetVertScrollPosition(0);
}

void TPictureForm::ShowMaximized() {
  QRect area = WorkArea;
  if (area.isEmpty()) {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s) area = s->availableGeometry();
  }
  // The geometry first, so the client size is known at once, also where no window manager
  // maximizes the window.
  if (!area.isEmpty()) setGeometry(area);
  if (WorkArea.isEmpty())
    showMaximized();
  else
    show();
  raise();
  // A box that is open (a slide show goes on behind an error) stays in front with the keyboard.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    modal->raise();
    modal->activateWindow();
    return;
  }
  activateWindow();
}

void TPictureForm::FocusPicture() {
  // The clock asks for the focus on every tick; an open box keeps it until it closes.
  if (QApplication::activeModalWidget()) return;
  if (!isActiveWindow()) activateWindow();
  if (!hasFocus()) setFocus(Qt::OtherFocusReason);
}

QColor TPictureForm::Color() const {
  return palette().color(QPalette::Window);
}

void TPictureForm::SetColor(const QColor& color) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, color);
  setPalette(pal);
  client_->setPalette(pal);
  update();
}

}  // namespace ostrivo
