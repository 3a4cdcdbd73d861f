#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The language tables: 160 labels and 34 messages in French (0), English (1) and
// Spanish (2), read once from the compiled-in resources. Read-only afterwards, so
// any thread may look texts up.
class CAffichage
{
public:
    CAffichage();
    ~CAffichage();

    void initMessages();
    // Reads `count` Latin-1 lines of one file; short files are padded with empty
    // texts. An unreadable file gives an empty list and a forced warning line.
    QStringList getFileList(QString path, int count);

    QString getTraduction(int language, int index) const;
    QString getMessage(int language, int index) const;
    QStringList getHeaderSearchTab(int language) const;
    QStringList getHeaderLocalTicketTab(int language) const;

    QList<QStringList> messages;
    QList<QStringList> traductions;
};

// The one language-table object, created by main after the settings are loaded.
extern CAffichage* gAffichage;
