#pragma once

#include <QWidget>
#include <functional>

namespace stellwick {

// Shown at the top of the settings window when it is closed on a desktop
// without a tray: Stellwick keeps running, and this says how to open it
// again. Its button closes the window for good.
class ReopenNotice final : public QWidget {
public:
    static inline const QString text =
        QStringLiteral("トレイがないため、閉じるとStellwickは見えなくなります（動作は続きます）。"
                       "アプリケーションメニューのStellwickか、端末の stellwick でまた開けます。");
    static inline const QString closeTitle = QStringLiteral("ウィンドウを閉じる");

    ReopenNotice(std::function<void()> close, QWidget* parent = nullptr);
};

} // namespace stellwick
