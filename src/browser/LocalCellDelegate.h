#pragma once

#include <QStyledItemDelegate>

// Draws a browser cell with its title fitted by cellTitleText, so long names are shortened
// in the middle instead of losing their ending.
class LocalCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The width the style lays the title out in, for a cell of `option`.
    static int titleWidth(const QStyleOptionViewItem &option);
    // The title text as drawn in the cell of `index`.
    QString shownTitle(const QStyleOptionViewItem &option, const QModelIndex &index) const;

  protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
