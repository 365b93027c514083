#pragma once
// The play list's lines: all as high as one line of text in the list's font and style, known
// before the first entry arrives, so that the list's whole-line height holds whatever it shows.

#include <QListView>
#include <QStyledItemDelegate>

namespace ostrivo {

class LineDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The height of one line of the list, empty or not.
int LineHeight(const QListView& list);

}  // namespace ostrivo
