#pragma once
// The list box that holds the play list: entries are byte strings, round-tripped unchanged and
// decoded only to be shown. The model keeps the single selected index the way the classic list
// control does: inserting at or before it moves it down, removing an entry before it moves it
// up, removing it leaves no selection, replacing a text keeps it.

#include <QAbstractListModel>
#include <QByteArray>
#include <QListView>
#include <QUrl>
#include <functional>
#include <vector>

namespace ostrivo {

class TStringsModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  int Count() const { return static_cast<int>(items_.size()); }
  const QByteArray& operator[](int i) const { return items_[static_cast<size_t>(i)]; }
  const QByteArray& At(int i) const { return items_.at(static_cast<size_t>(i)); }
  const std::vector<QByteArray>& Items() const { return items_; }

  void Add(QByteArray text);
  // Appends many entries as one insertion, so the view is told once (a long list stays fast);
  // the selection stays on its entry.
  void AddStrings(std::vector<QByteArray> texts);
  void Insert(int index, QByteArray text);  // index 0..Count()
  void Delete(int index);
  void Clear();
  // Replaces one entry's text; the selection stays on the position.
  void Put(int index, QByteArray text);
  void Exchange(int a, int b);
  // Replaces every entry at once (no selection afterwards). Fast for very long lists.
  void Assign(std::vector<QByteArray> items);
  // Rewrites the entries in place (same count), keeping the selected index as a number.
  void Rearrange(const std::function<void(std::vector<QByteArray>&)>& change);

  int ItemIndex() const { return itemIndex_; }
  // -1 or an index out of range clears the selection.
  void SetItemIndex(int index);
  // True while entries are being inserted, removed or replaced.
  bool Mutating() const { return mutating_; }

 signals:
  void ItemIndexChanged(int index);

 private:
  void ChangeIndex(int index);
  std::vector<QByteArray> items_;
  int itemIndex_ = -1;
  bool mutating_ = false;
};

class TListBox : public QListView {
  Q_OBJECT
 public:
  explicit TListBox(QWidget* parent = nullptr);

  TStringsModel& Items() { return model_; }
  const TStringsModel& Items() const { return model_; }
  int Count() const { return model_.Count(); }
  int ItemIndex() const { return model_.ItemIndex(); }
  void SetItemIndex(int index) { model_.SetItemIndex(index); }

  // The height of one line, for layouts that show whole lines only.
  int ItemHeight() const;

  // Dropped URLs go to this function, called once the drop has been answered (so the program
  // they came from is not kept waiting by a long walk or an error box). While it is set the
  // list takes drags that carry URLs and shows, while one is over it, a line after its last
  // entry: dropped entries go there.
  std::function<void(const QList<QUrl>&)> OnDropUrls;
  // The list's handling of a drag and a drop, for the window around it too: a drag over any
  // part of the window shows the same line and a drop there goes to the same function.
  void TakeDrag(QDragMoveEvent* event);
  void LeaveDrag();
  void TakeDrop(QDropEvent* event);
  // Where the line is drawn, in the viewport; empty while it is not shown.
  QRect DropIndicatorRect() const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ShowIndex(int index);
  bool TakesDrag(const QDropEvent* event) const;
  void ShowDropIndicatorAtEnd(bool shown);
  TStringsModel model_;
  bool syncing_ = false;
  bool dropIndicator_ = false;
};

}  // namespace ostrivo
