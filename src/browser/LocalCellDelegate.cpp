#include "browser/LocalCellDelegate.h"

#include "browser/core/CellTitle.h"

#include <QApplication>
#include <QStyle>

int LocalCellDelegate::titleWidth(const QStyleOptionViewItem &option) {
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    // The style keeps this margin on either side of an item's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, option.widget) + 1;
    return option.rect.width() - 2 * margin;
}

QString LocalCellDelegate::shownTitle(const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const {
    QStyleOptionViewItem copy = option;
    initStyleOption(&copy, index);
    return copy.text;
}

void LocalCellDelegate::initStyleOption(QStyleOptionViewItem *option,
                                        const QModelIndex &index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->features & QStyleOptionViewItem::HasDisplay)
        option->text = cellTitleText(option->text, option->fontMetrics, titleWidth(*option));
}
