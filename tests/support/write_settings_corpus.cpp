// Writes the settings-file test corpus, usable and unusable files, one file
// each into the folder given: the seeds of the settings fuzzer.

#include "support/SettingsCorpus.h"

#include <QDir>
#include <QFile>

int main(int argc, char** argv) {
    const QDir folder(QString::fromLocal8Bit(argc == 2 ? argv[1] : ""));
    if (argc != 2 || !folder.mkpath(QStringLiteral(".")))
        return 2;
    std::vector<stellwick::test::SettingsFile> files = stellwick::test::usableSettingsFiles();
    for (auto& file : stellwick::test::unusableSettingsFiles())
        files.push_back(std::move(file));
    for (std::size_t i = 0; i < files.size(); ++i) {
        QFile out(folder.filePath(QStringLiteral("seed-%1").arg(i, 3, 10, QLatin1Char('0'))));
        if (!out.open(QIODevice::WriteOnly) || out.write(files[i].bytes) != files[i].bytes.size())
            return 1;
    }
    return 0;
}
