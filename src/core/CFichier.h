#pragma once

#include <QFile>

// File wrapper with the result codes of the settings file:
// 1 done, 0 nothing to do, -1 missing, -2 cannot create the file,
// -3 cannot create a folder, -4 cannot open, -5 cannot remove.
class CFichier : public QFile
{
public:
    explicit CFichier(const QString& name);
    ~CFichier() override;

    // Opens an existing file in `mode`; never creates it.
    int ouvre(QIODevice::OpenMode mode);
    // Creates the file, empty, and the missing folders of its path.
    int cree();
    // Removes the file.
    int supprime();
};
