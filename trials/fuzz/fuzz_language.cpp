// A language table file: always read as its fixed number of lines.
#include "core/CAffichage.h"

#include "FuzzSupport.h"

#include <QFile>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::scratch(QStringLiteral("trad_xx.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return 0;
    }
    file.write(fuzz::bytes(data, size));
    file.close();
    fuzz::require(gAffichage->getFileList(path, 160).size() == 160, "not 160 labels");
    return 0;
}
