#include "ui/FormHelpers.h"
#include "ui/Ui_MainWindow.h"

using form::make;
using form::openHand;

void Ui_MainWindow::setupSearchPage()
{
    pageSearch = form::makePage("pageSearch");

    // Search bar
    widgetSearchBar = make<QWidget>(pageSearch, "widgetSearchBar", 0, 8, 1024, 47);
    btnSearchBackToScan = make<QPushButton>(widgetSearchBar, "btnSearchBackToScan", 974, 5, 46, 40);
    openHand(btnSearchBackToScan);
    editSearch = make<QLineEdit>(widgetSearchBar, "editSearch", 153, 8, 568, 33);
    btnSearch = make<QPushButton>(widgetSearchBar, "btnSearch", 740, 6, 138, 35);
    openHand(btnSearch);

    // Results; the window sets up the table's columns. The label, created after the
    // table, covers a strip of it when there is nothing to list.
    widgetSearchResult = make<QWidget>(pageSearch, "widgetSearchResult", 0, 55, 1024, 371);
    tableSearchResult = make<QTableWidget>(widgetSearchResult, "tableSearchResult", 10, 10, 1004, 361);
    lblEmptyResult = make<QLabel>(widgetSearchResult, "lblEmptyResult", 10, 80, 1001, 41);
    lblEmptyResult->setAlignment(form::kCentred);

    // Placeholder of the search keyboard
    widgetSearchKeyboard = make<QWidget>(pageSearch, "widgetSearchKeyboard", 190, 430, 639, 260);

    stackedWidget->addWidget(pageSearch);
}

void Ui_MainWindow::retranslateSearchPage()
{
    btnSearch->setText(QStringLiteral("     Rechercher"));
    lblEmptyResult->setText(QStringLiteral("Pas de résultat"));
}
