#include "platform/dialogs.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace lxtv::platform {
namespace {

bool haveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

std::optional<QString> askSavePathForReal(const QString& proposed) {
    if (!haveWidgets()) return std::nullopt;
    const QString chosen =
        QFileDialog::getSaveFileName(nullptr, QString::fromUtf8("保存文件"), proposed);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

std::optional<Credentials> askCredentialsForReal(const CredentialsQuestion& q) {
    if (!haveWidgets()) return std::nullopt;
    QDialog dialog;
    dialog.setWindowTitle(QString::fromUtf8("身份验证"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumWidth(360);

    const QString who = q.host.toHtmlEscaped();
    QString text = q.proxy ? QString::fromUtf8("代理服务器 %1 要求输入用户名和密码。").arg(who)
                           : QString::fromUtf8("服务器 %1 要求输入用户名和密码。").arg(who);
    if (!q.realm.isEmpty())
        text += QString::fromUtf8("<br>服务器提示：%1").arg(q.realm.toHtmlEscaped());
    auto* message = new QLabel(text);
    // The realm is the server's own text: never let it be read as markup.
    message->setTextFormat(Qt::RichText);
    message->setWordWrap(true);

    auto* user = new QLineEdit;
    auto* password = new QLineEdit;
    password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("用户名："), user);
    form->addRow(QString::fromUtf8("密码："), password);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(message);
    layout->addLayout(form);
    layout->addWidget(buttons);
    user->setFocus();

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return Credentials{user->text(), password->text()};
}

}  // namespace

Seam<std::optional<QString>(const QString&)> savePathAsker(askSavePathForReal);
Seam<std::optional<Credentials>(const CredentialsQuestion&)> credentialsAsker(
    askCredentialsForReal);

std::optional<QString> askSavePath(const QString& proposed) {
    return savePathAsker(proposed);
}

std::optional<Credentials> askCredentials(const CredentialsQuestion& question) {
    return credentialsAsker(question);
}

}  // namespace lxtv::platform
