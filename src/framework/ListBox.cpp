#include "framework/ListBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPainter>

#include "framework/Exceptions.h"

namespace ostrivo {

int TStringsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant TStringsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
    return DisplayText(items_[static_cast<size_t>(index.row())]);
  return {};
}

void TStringsModel::ChangeIndex(int index) {
  // Always announced: the view may have moved its own current row during the change.
  itemIndex_ = index;
  emit ItemIndexChanged(index);
}

void TStringsModel::SetItemIndex(int index) {
  index = index >= 0 && index < Count() ? index : -1;
  if (index != itemIndex_) ChangeIndex(index);
}

void TStringsModel::Add(QByteArray text) {
  Insert(Count(), std::move(text));
}

void TStringsModel::AddStrings(std::vector<QByteArray> texts) {
  if (texts.empty()) return;
  const int first = Count();
  mutating_ = true;
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(texts.size()) - 1);
  items_.insert(items_.end(), std::make_move_iterator(texts.begin()),
                std::make_move_iterator(texts.end()));
  endInsertRows();
  mutating_ = false;
  ChangeIndex(itemIndex_);
}

void TStringsModel::Insert(int index, QByteArray text) {
  index = std::clamp(index, 0, Count());
  mutating_ = true;
  beginInsertRows(QModelIndex(), index, index);
  items_.insert(items_.begin() + index, std::move(text));
  endInsertRows();
  mutating_ = false;
  ChangeIndex(itemIndex_ >= 0 && index <= itemIndex_ ? itemIndex_ + 1 : itemIndex_);
}

void TStringsModel::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  mutating_ = true;
  beginRemoveRows(QModelIndex(), index, index);
  items_.erase(items_.begin() + index);
  endRemoveRows();
  mutating_ = false;
  if (index == itemIndex_)
    ChangeIndex(-1);
  else
    ChangeIndex(index < itemIndex_ ? itemIndex_ - 1 : itemIndex_);
}

void TStringsModel::Clear() {
  Assign({});
}

void TStringsModel::Put(int index, QByteArray text) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<size_t>(index)] = std::move(text);
  const QModelIndex i = this->index(index);
  emit dataChanged(i, i, {Qt::DisplayRole});
}

void TStringsModel::Exchange(int a, int b) {
  if (a < 0 || b < 0 || a >= Count() || b >= Count() || a == b) return;
  std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
  emit dataChanged(index(std::min(a, b)), index(std::max(a, b)), {Qt::DisplayRole});
}

void TStringsModel::Assign(std::vector<QByteArray> items) {
  mutating_ = true;
  beginResetModel();
  items_ = std::move(items);
  endResetModel();
  mutating_ = false;
  ChangeIndex(-1);
}

void TStringsModel::Rearrange(const std::function<void(std::vector<QByteArray>&)>& change) {
  const int keep = itemIndex_;
  const size_t count = items_.size();
  mutating_ = true;
  beginResetModel();
  change(items_);
  items_.resize(count);
  endResetModel();
  mutating_ = false;
  ChangeIndex(keep);
}

TListBox::TListBox(QWidget* parent) : QListView(parent) {
  setModel(&model_);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::ClickFocus);  // not in the tab order
  setTextElideMode(Qt::ElideNone);
  // Drags arrive at the viewport, the widget under the pointer.
  viewport()->setAcceptDrops(true);
  connect(&model_, &TStringsModel::ItemIndexChanged, this, &TListBox::ShowIndex);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (syncing_ || model_.Mutating()) return;
            model_.SetItemIndex(current.isValid() ? current.row() : -1);
          });
}

void TListBox::ShowIndex(int index) {
  syncing_ = true;
  if (index < 0) {
    selectionModel()->clear();
  } else {
    const QModelIndex i = model_.index(index);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    scrollTo(i);
  }
  syncing_ = false;
}

int TListBox::ItemHeight() const {
  const int h = sizeHintForRow(0);
  return h > 0 ? h : fontMetrics().height();
}

}  // namespace ostrivo

namespace ostrivo {

bool TListBox::TakesDrag(const QDropEvent* event) const {
  return OnDropUrls && event->mimeData() && event->mimeData()->hasUrls();
}

void TListBox::ShowDropIndicatorAtEnd(bool shown) {
  if (shown == dropIndicator_) return;
  dropIndicator_ = shown;
  viewport()->update();
}

QRect TListBox::DropIndicatorRect() const {
  if (!dropIndicator_) return {};
  const int last = Count() - 1;
  // Below the last entry, or at the bottom edge while the end of the list is out of view.
  int y = last < 0 ? 0 : visualRect(model_.index(last)).bottom() + 1;
  y = std::clamp(y, 0, std::max(0, viewport()->height() - 2));
  return QRect(0, y, viewport()->width(), 2);
}

void TListBox::TakeDrag(QDragMoveEvent* event) {
  if (!TakesDrag(event)) return event->ignore();
  event->acceptProposedAction();
  ShowDropIndicatorAtEnd(true);
}

void TListBox::LeaveDrag() {
  ShowDropIndicatorAtEnd(false);
}

void TListBox::TakeDrop(QDropEvent* event) {
  ShowDropIndicatorAtEnd(false);
  if (!TakesDrag(event)) return event->ignore();
  event->acceptProposedAction();
  QMetaObject::invokeMethod(
      this,
      [this, urls = event->mimeData()->urls()] {
        if (OnDropUrls) OnDropUrls(urls);
      },
      Qt::QueuedConnection);
}

void TListBox::dragEnterEvent(QDragEnterEvent* event) {
  TakeDrag(event);
}

void TListBox::dragMoveEvent(QDragMoveEvent* event) {
  TakeDrag(event);
}

void TListBox::dragLeaveEvent(QDragLeaveEvent*) {
  LeaveDrag();
}

void TListBox::dropEvent(QDropEvent* event) {
  TakeDrop(event);
}

void TListBox::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  const QRect line = DropIndicatorRect();
  if (line.isEmpty()) return;
  QPainter painter(viewport());
  // The text's colour: it stands out from the selection's too, which may be just above.
  painter.fillRect(line, palette().color(QPalette::Text));
}

}  // namespace ostrivo
