#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace stellwick {

enum class ProfileDialog { create, rename };

// Asks for a profile's name, for a new profile or a rename. Confirming is
// possible only while the name holds more than white space; the text is handed
// on untrimmed. Escape, "キャンセル" and closing the sheet all cancel.
class ProfileNameSheet final : public QDialog {
    Q_OBJECT
public:
    ProfileNameSheet(ProfileDialog mode, const QString& name, QWidget* parent);

    ProfileDialog mode() const { return m_mode; }
    QString name() const;

signals:
    // The text as typed, once the user confirmed it.
    void saved(const QString& name);

private:
    void nameChanged();

    ProfileDialog m_mode;
    QLineEdit* m_field;
    QLabel* m_blankMessage;
    QPushButton* m_confirm;
};

} // namespace stellwick
