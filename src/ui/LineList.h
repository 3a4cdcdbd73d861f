#pragma once

#include <QListWidget>

// A read-only list of text lines all sized as its last one (uniformItemSizes), as the
// ticket display shows them. A changed line repaints alone: QListView lays the whole list
// out again and repaints it at every change of a line's text, which the ticket display
// makes at every scan. A change of the last line, whose size every line takes, is laid
// out as QListView does.
class LineList : public QListWidget
{
    Q_OBJECT

public:
    using QListWidget::QListWidget;

protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) override;
};
