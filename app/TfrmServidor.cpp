#include "app/TfrmServidor.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString kSchemeEnd = QStringLiteral("://");

} // namespace

TfrmServidor::TfrmServidor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmServidor"));
    setWindowTitle(QStringLiteral("Servidor"));

    cbProtocolo = new QComboBox(this);
    cbProtocolo->setObjectName(QStringLiteral("cbProtocolo"));
    cbProtocolo->addItems({QStringLiteral("http"), QStringLiteral("https")});
    edtServidor = new QLineEdit(this);
    edtServidor->setObjectName(QStringLiteral("edtServidor"));
    edtServidor->setMinimumWidth(220);
    edtPorta = new QSpinBox(this);
    edtPorta->setObjectName(QStringLiteral("edtPorta"));
    edtPorta->setRange(1, 65535);

    auto *buttons = new QDialogButtonBox(this);
    btTentarNovamente = buttons->addButton(QStringLiteral("Tentar novamente"), QDialogButtonBox::AcceptRole);
    btTentarNovamente->setObjectName(QStringLiteral("btTentarNovamente"));
    btTentarNovamente->setDefault(true);
    btSair = buttons->addButton(QStringLiteral("Sair"), QDialogButtonBox::RejectRole);
    btSair->setObjectName(QStringLiteral("btSair"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A retry needs a host to go to.
    connect(edtServidor, &QLineEdit::textChanged, this,
        [this](const QString &host) { btTentarNovamente->setEnabled(!host.trimmed().isEmpty()); });
    btTentarNovamente->setEnabled(false);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Protocolo:"), cbProtocolo);
    fields->addRow(QStringLiteral("Servidor:"), edtServidor);
    fields->addRow(QStringLiteral("Porta:"), edtPorta);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Não foi possível obter o menu do servidor. Confira o endereço."), this));
    layout->addLayout(fields);
    layout->addWidget(buttons);
    edtServidor->setFocus();
}

void TfrmServidor::SetAddress(const QString &server, int port)
{
    const qsizetype schemeEnd = server.indexOf(kSchemeEnd);
    const QString scheme = schemeEnd < 0 ? QStringLiteral("http") : server.left(schemeEnd);
    if (cbProtocolo->findText(scheme) < 0)
        cbProtocolo->addItem(scheme); // kept as the file had it: the request reports what is wrong
    cbProtocolo->setCurrentText(scheme);
    edtServidor->setText(schemeEnd < 0 ? server : server.mid(schemeEnd + kSchemeEnd.size()));
    edtPorta->setValue(port);
}

QString TfrmServidor::Server() const
{
    return cbProtocolo->currentText() + kSchemeEnd + edtServidor->text().trimmed();
}

int TfrmServidor::Port() const
{
    return edtPorta->value();
}
