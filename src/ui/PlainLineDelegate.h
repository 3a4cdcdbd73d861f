#pragma once

#include <QStyledItemDelegate>

// Draws each line of a read-only list as plain text, cut at the right edge: the lists
// of the ticket display change at every scan, and the standard delegate's full item
// layout is most of their repaint.
class PlainLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
