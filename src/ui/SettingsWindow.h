#pragma once

#include <QWidget>

namespace stellwick {

class ContentView;
class ProbeViewModel;

// The settings window "Stellwick — 設定". It deletes itself when closed, so
// its memory comes back; closing it ends any click-to-select run.
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    static inline const QString title = QStringLiteral("Stellwick — 設定");

    explicit SettingsWindow(ProbeViewModel& model, QWidget* parent = nullptr);

    ContentView* content() const { return m_content; }

    // Shows the window, or brings it forward when it is already shown.
    void present();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ContentView* m_content;
};

} // namespace stellwick
