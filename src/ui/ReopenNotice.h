#pragma once

#include <QWidget>
#include <functional>

namespace stellwick {

// Shown at the top of the settings window when it is closed on a desktop
// without a tray: Stellwick keeps running, and this says how to open it
// again. Its button closes the window for good.
class ReopenNotice final : public QWidget {
public:
    static inline const QString title = QStringLiteral("閉じてもStellwickは動き続けます");
    static inline const QString detail = QStringLiteral(
        "トレイがないため、また開くにはアプリケーションメニューのStellwickか、端末の stellwick を使います。");
    static inline const QString closeTitle = QStringLiteral("ウィンドウを閉じる");

    ReopenNotice(std::function<void()> close, QWidget* parent = nullptr);
};

} // namespace stellwick
