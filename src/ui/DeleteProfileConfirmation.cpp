#include "ui/DeleteProfileConfirmation.h"

#include "controller/ProbeViewModel.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>

namespace stellwick {

DeleteProfileConfirmation* DeleteProfileConfirmation::ask(ProbeViewModel& model, QWidget* window) {
    const std::optional<LayoutProfile> profile = model.selectedProfile();
    if (!profile)
        return nullptr;
    const bool asSheet = window && window->isActiveWindow();
    auto* box = new DeleteProfileConfirmation(model, profile->id, asSheet ? window : nullptr);
    box->setText(QStringLiteral("「") + profile->name + QStringLiteral("」を削除しますか？"));
    box->setInformativeText(QStringLiteral("登録された") + QString::number(profile->placements.size()) +
                            QStringLiteral("アプリの配置も削除されます。この操作は取り消せません。"));
    box->setWindowModality(asSheet ? Qt::WindowModal : Qt::ApplicationModal);
    box->open();
    return box;
}

DeleteProfileConfirmation::DeleteProfileConfirmation(ProbeViewModel& model, const QUuid& profileID,
                                                     QWidget* parent)
    : QMessageBox(parent)
    , m_profileID(profileID) {
    setAttribute(Qt::WA_DeleteOnClose);
    setIcon(QMessageBox::Critical);
    setWindowTitle(QStringLiteral("プロファイルを削除"));
    QPushButton* remove = addButton(QStringLiteral("削除"), QMessageBox::DestructiveRole);
    QPushButton* cancel = addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    remove->setAccessibleName(remove->text());
    cancel->setAccessibleName(cancel->text());
    setEscapeButton(cancel);
    setDefaultButton(cancel);
    m_delete = remove;

    QPointer<ProbeViewModel> controller(&model);
    connect(this, &QMessageBox::buttonClicked, this, [this, controller](QAbstractButton* button) {
        if (button == m_delete && controller)
            controller->deleteProfile(m_profileID);
    });
}

} // namespace stellwick
