#pragma once

#include <QWidget>
#include <functional>

namespace stellwick {

class ContentView;
class ProbeViewModel;
class ReopenNotice;

// The settings window "Stellwick — 設定". It deletes itself when closed, so
// its memory comes back; closing it ends any click-to-select run.
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    static inline const QString title = QStringLiteral("Stellwick — 設定");

    // `holdClose` is asked when the user closes the window; true keeps it
    // open and shows how to open it again (there is no tray to do it from).
    explicit SettingsWindow(ProbeViewModel& model, std::function<bool()> holdClose = {},
                            QWidget* parent = nullptr);

    ContentView* content() const { return m_content; }
    // How to open the window again, once shown; null before.
    ReopenNotice* reopenNotice() const { return m_notice; }

    // Shows the window, or brings it forward when it is already shown.
    void present();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ContentView* m_content;
    std::function<bool()> m_holdClose;
    ReopenNotice* m_notice = nullptr;
};

} // namespace stellwick
