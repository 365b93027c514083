#include "main/ListLines.h"

#include <QStyle>

namespace ostrivo {

namespace {

// One line of text with a descender, in the given view's font and style: what any entry needs.
int TextLineHeight(QStyleOptionViewItem option, const QWidget* view) {
  option.features |= QStyleOptionViewItem::HasDisplay;
  option.features &= ~QStyleOptionViewItem::WrapText;
  option.text = QStringLiteral("Xg");
  option.icon = QIcon();
  option.decorationSize = QSize();
  const QStyle* style = view ? view->style() : nullptr;
  if (!style) return option.fontMetrics.height();
  return style->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), view).height();
}

}  // namespace

QSize LineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  return {QStyledItemDelegate::sizeHint(option, index).width(),
          TextLineHeight(option, option.widget)};
}

int LineHeight(const QListView& list) {
  QStyleOptionViewItem option;
  option.initFrom(&list);
  option.font = list.font();
  option.fontMetrics = list.fontMetrics();
  option.widget = &list;
  return TextLineHeight(option, &list);
}

}  // namespace ostrivo
