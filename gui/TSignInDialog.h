#pragma once

#include "rest/TCredentials.h"

#include <QDialog>

#include <optional>

class QDialogButtonBox;
class QFormLayout;
class QLineEdit;

// The question the back-end's refusal leads to: "Usuário" and "Senha" for Basic, or "Token" for
// Bearer, with "OK" and "Cancelar". Owns its fields only; what it returns is kept by the caller
// in memory. The fields are named (usuario, senha, token) so tests can fill them.
class TSignInDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit TSignInDialog(TCredentials::TScheme scheme, QWidget *parent = nullptr);

    TCredentials Credentials() const;

    // Shows the dialog over the active window; nullopt when it was cancelled. The program's prompt
    // for TSignIn.
    static std::optional<TCredentials> Ask(TCredentials::TScheme scheme);

private:
    QLineEdit *AddField(const QString &caption, const QString &name, bool secret);
    void UpdateOk();

    TCredentials::TScheme FScheme;
    QFormLayout *FForm = nullptr;
    QLineEdit *FUser = nullptr;
    QLineEdit *FPassword = nullptr;
    QLineEdit *FToken = nullptr;
    QDialogButtonBox *FButtons = nullptr;
};
