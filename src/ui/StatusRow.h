#pragma once

#include "model/AppStatus.h"

#include <QWidget>

class QLabel;

namespace stellwick {

// The latest status: a symbol by kind (information, success, warning, error)
// beside the title, the detail when there is one, and the time of day.
class StatusRow final : public QWidget {
    Q_OBJECT
public:
    explicit StatusRow(QWidget* parent);

    void setStatus(const AppStatus& status);

    QString titleText() const;
    QString detailText() const; // empty when hidden
    QString timeText() const;
    // The symbol name shown for the current kind.
    const QString& symbol() const { return m_symbol; }

private:
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_detail;
    QLabel* m_time;
    QString m_symbol;
};

} // namespace stellwick
