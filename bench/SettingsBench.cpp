// Loading and saving settings files of growing size through the real store:
// 10 to 1,000 profiles of 20 placements each, every phase timed separately
// (encode, atomic write, read + decode) so the table shows where time goes and
// whether it grows linearly. Prints medians; asserts nothing.

#include "Median.h"
#include "model/LayoutJson.h"
#include "model/ProfileStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

using namespace stellwick;

namespace {

StellwickState makeState(int profileCount, int placementsPerProfile) {
    StellwickState state = StellwickState::initialState(Date{7.5e8});
    state.profiles.clear();
    for (int p = 0; p < profileCount; ++p) {
        LayoutProfile profile =
            LayoutProfile::make(QStringLiteral("プロファイル %1").arg(p), Date{7.5e8 + p});
        for (int a = 0; a < placementsPerProfile; ++a) {
            const QString id = QStringLiteral("org.example.Application%1").arg(a);
            profile.placements.append(AppPlacement{
                id, QStringLiteral("アプリ %1").arg(a),
                DisplayReference{std::uint32_t(a % 3), QStringLiteral("DP-%1").arg(a % 3),
                                 QStringLiteral("4C2D0F01-0000-0000-0000-00000000000%1").arg(a % 3)},
                NormalizedFrame{0.1 * (a % 5), 0.05 * (a % 7), 0.5 + 0.01 * a, 0.75 - 0.01 * a}, a % 2 == 0,
                QStringLiteral("文書 %1 — エディタ").arg(a)});
        }
        state.profiles.append(profile);
    }
    state.selectedProfileID = state.profiles.first().id;
    return state;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir folder;
    QTextStream out(stdout);
    out << "settings file: median of " << runs << " runs, milliseconds\n";
    out << "profiles  placements      bytes   encode    write  save(all)  load(all)  save+load\n";
    for (const int profiles : {10, 100, 300, 1000}) {
        const StellwickState state = makeState(profiles, 20);
        const ProfileStore store(folder.filePath(QStringLiteral("profiles-%1.json").arg(profiles)));
        std::vector<double> encode, save, load;
        qint64 bytes = 0;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const std::optional<QByteArray> encoded = encodeState(state);
            encode.push_back(timer.nsecsElapsed() / 1e6);
            bytes = encoded ? encoded->size() : 0;

            timer.restart();
            if (store.save(state)) {
                out << "save failed\n";
                return 1;
            }
            save.push_back(timer.nsecsElapsed() / 1e6);

            timer.restart();
            const LoadResult loaded = store.load(Date{});
            load.push_back(timer.nsecsElapsed() / 1e6);
            if (!loaded.canSave || loaded.state != state) {
                out << "round trip failed\n";
                return 1;
            }
        }
        const double e = median(encode), s = median(save), l = median(load);
        out << qSetFieldWidth(8) << profiles << qSetFieldWidth(12) << profiles * 20 << qSetFieldWidth(11)
            << bytes << qSetFieldWidth(9) << QString::number(e, 'f', 2) << QString::number(s - e, 'f', 2)
            << qSetFieldWidth(11) << QString::number(s, 'f', 2) << QString::number(l, 'f', 2)
            << QString::number(s + l, 'f', 2) << qSetFieldWidth(0) << "\n";
    }
    return 0;
}
