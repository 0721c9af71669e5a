#pragma once

#include <QWidget>

namespace stellwick {

class ProbeViewModel;

// The slim bar that tells what a click-to-select run is doing and offers its
// next steps. Hidden while no run is active; Escape cancels the run.
class SelectionStatusBar : public QWidget {
public:
    SelectionStatusBar(ProbeViewModel& model, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();
    QWidget* selectingContent();
    QWidget* selectedContent(const QString& applicationName, const QString& windowTitle);
    QWidget* failedContent(const QString& message);

    ProbeViewModel& m_model;
    QWidget* m_content = nullptr;
};

} // namespace stellwick
