// param.ini, plain or ciphered: whatever a file holds loads, and saving what was
// loaded and loading it again gives the same 20 values (a NUL saved as a blank).
#include "core/CParam.h"

#include "FuzzSupport.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString first = fuzz::scratch(QStringLiteral("param-in"));
    const QString second = fuzz::scratch(QStringLiteral("param-out"));
    QDir().mkpath(first);
    QDir().mkpath(second);
    QFile file(first + QStringLiteral("/param.ini"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return 0;
    }
    file.write(fuzz::bytes(data, size));
    file.close();

    CParam loaded;
    if (!loaded.charge(first, false)) {
        return 0;
    }
    loaded.isCrypt = size > 0 && (data[0] & 1) != 0;
    fuzz::require(loaded.sauvegarde(second, true), "cannot save what was loaded");
    CParam again;
    fuzz::require(again.charge(second, false), "cannot load what was saved");
    QHash<unsigned int, QString> expected = loaded.parametresCopy();
    for (QString& value : expected) {
        value.replace(QChar(u'\0'), QLatin1Char(' '));
    }
    fuzz::require(again.parametresCopy() == expected, "a value changed through save and load");
    return 0;
}
