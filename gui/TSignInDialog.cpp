#include "gui/TSignInDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TSignInDialog::TSignInDialog(TCredentials::TScheme scheme, QWidget *parent) : QDialog(parent), FScheme(scheme)
{
    setWindowTitle(QStringLiteral("Identificação"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("O servidor pede identificação para atender ao pedido."), this));
    FForm = new QFormLayout;
    layout->addLayout(FForm);
    if (scheme == TCredentials::TScheme::Bearer) {
        FToken = AddField(QStringLiteral("Token"), QStringLiteral("token"), true);
    } else {
        FUser = AddField(QStringLiteral("Usuário"), QStringLiteral("usuario"), false);
        FPassword = AddField(QStringLiteral("Senha"), QStringLiteral("senha"), true);
    }
    FButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    FButtons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    FButtons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(FButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(FButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(FButtons);
    UpdateOk();
}

QLineEdit *TSignInDialog::AddField(const QString &caption, const QString &name, bool secret)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(name);
    if (secret)
        field->setEchoMode(QLineEdit::Password);
    connect(field, &QLineEdit::textChanged, this, &TSignInDialog::UpdateOk);
    FForm->addRow(caption, field);
    return field;
}

// Nothing to sign in with is no answer: OK waits for the user (Basic) or the token.
void TSignInDialog::UpdateOk()
{
    const QLineEdit *required = FToken ? FToken : FUser;
    FButtons->button(QDialogButtonBox::Ok)->setEnabled(!required->text().isEmpty());
}

TCredentials TSignInDialog::Credentials() const
{
    if (FScheme == TCredentials::TScheme::Bearer)
        return TCredentials::Bearer(FToken->text());
    return TCredentials::Basic(FUser->text(), FPassword->text());
}

std::optional<TCredentials> TSignInDialog::Ask(TCredentials::TScheme scheme)
{
    TSignInDialog dialog(scheme, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Credentials();
}
