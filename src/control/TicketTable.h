#pragma once

#include <QStringList>
#include <QTableWidget>

// Fills one row of a result table with read-only cells, one text a column.
inline void setRowTexts(QTableWidget* table, int row, const QStringList& texts)
{
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        table->setItem(row, column, item);
    }
}
