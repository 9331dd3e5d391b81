#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The small dialog shown when the menu cannot be fetched at start: the server's address split
// into scheme, host and port, "Tentar novamente" (accepts) and "Sair" (rejects, as closing does).
// Owns its fields; it neither applies nor keeps the address, its caller does.
class TfrmServidor final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmServidor)

public:
    explicit TfrmServidor(QWidget *parent = nullptr);

    // Fills the fields from an address as SystemConfig holds it ("scheme://host", port).
    void SetAddress(const QString &server, int port);
    // The address of the fields in the same form.
    QString Server() const;
    int Port() const;

    QComboBox *cbProtocolo = nullptr;
    QLineEdit *edtServidor = nullptr;
    QSpinBox *edtPorta = nullptr;
    QPushButton *btTentarNovamente = nullptr;
    QPushButton *btSair = nullptr;
};
