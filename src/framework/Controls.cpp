#include "framework/Controls.h"

#include <QPainter>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOption>

namespace ostrivo {

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void TSpeedButton::SetGlyphs(const QIcon& normal, const QIcon& disabled) {
  if (disabled.isNull()) {
    setIcon(normal);
    return;
  }
  QIcon both;
  for (const QSize& s : normal.availableSizes()) both.addPixmap(normal.pixmap(s), QIcon::Normal);
  for (const QSize& s : disabled.availableSizes())
    both.addPixmap(disabled.pixmap(s), QIcon::Disabled);
  setIcon(both);
}

TTrackBar::TTrackBar(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {
  connect(this, &QSlider::valueChanged, this, [this](int) {
    if (!programmatic_ && OnChange) OnChange(this);
  });
}

void TTrackBar::SetPosition(int p) {
  programmatic_ = true;
  setValue(p);
  programmatic_ = false;
}

void TTrackBar::SetMin(int v) {
  programmatic_ = true;
  setMinimum(v);
  programmatic_ = false;
}

void TTrackBar::SetMax(int v) {
  programmatic_ = true;
  setMaximum(v);
  programmatic_ = false;
}

void TTrackBar::SetRange(int lo, int hi) {
  programmatic_ = true;
  setRange(lo, hi);
  programmatic_ = false;
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent), grip_(new QSizeGrip(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TStatusBar::SetSimpleText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void TStatusBar::Refresh() {
  repaint();
}

void TStatusBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QStyleOption opt;
  opt.initFrom(this);
  style()->drawPrimitive(QStyle::PE_PanelStatusBar, &opt, &p, this);
  const QRect r = rect().adjusted(4, 0, -grip_->width() - 2, 0);
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(r, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
             fontMetrics().elidedText(text_, Qt::ElideRight, r.width()));
}

void TStatusBar::resizeEvent(QResizeEvent*) {
  const QSize g = grip_->sizeHint();
  grip_->setGeometry(width() - g.width(), height() - g.height(), g.width(), g.height());
}

TPanel::TPanel(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
}

}  // namespace ostrivo
