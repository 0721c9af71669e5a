// Writes the settings-file test corpus, usable and unusable files, one file
// each into the folder given: the seeds of the settings fuzzer.

#include "support/SettingsCorpus.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write-settings-corpus FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;
    int index = 0;
    const auto write = [&](const std::vector<stellwick::test::SettingsFile>& files) {
        for (const auto& file : files) {
            QFile out(folder.filePath(QStringLiteral("seed-%1").arg(index++, 3, 10, QLatin1Char('0'))));
            if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size())
                return false;
        }
        return true;
    };
    return write(stellwick::test::usableSettingsFiles()) && write(stellwick::test::unusableSettingsFiles())
               ? 0
               : 1;
}
