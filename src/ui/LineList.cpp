#include "ui/LineList.h"

void LineList::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    const bool sameSizes = uniformItemSizes() && viewMode() == QListView::ListMode && !isWrapping();
    if (sameSizes && topLeft.parent() == rootIndex() && bottomRight.row() < model()->rowCount(rootIndex()) - 1) {
        // Every line keeps its place and size: repaint the changed ones.
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    QListWidget::dataChanged(topLeft, bottomRight, roles);
}
