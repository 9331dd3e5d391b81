#include "gui/TSignInDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The sign-in question: the fields each scheme needs under their Portuguese captions, secrets
// hidden, and OK only once there is something to sign in with.
class TestSignInDialog final : public QObject
{
    Q_OBJECT

private slots:
    void asksWhatTheSchemeNeeds_data()
    {
        QTest::addColumn<TCredentials::TScheme>("scheme");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("secret");
        QTest::newRow("Basic") << TCredentials::TScheme::Basic << QStringList{"Usuário", "Senha"}
                               << QStringList{"usuario", "senha"} << QStringList{"senha"};
        QTest::newRow("Bearer") << TCredentials::TScheme::Bearer << QStringList{"Token"} << QStringList{"token"}
                                << QStringList{"token"};
    }

    void asksWhatTheSchemeNeeds()
    {
        QFETCH(TCredentials::TScheme, scheme);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, names);
        QFETCH(QStringList, secret);
        TSignInDialog dialog(scheme);
        const auto *form = dialog.findChild<QFormLayout *>();
        QVERIFY(form);
        QCOMPARE(form->rowCount(), names.size());
        for (int row = 0; row < names.size(); ++row) {
            const auto *label = qobject_cast<QLabel *>(form->itemAt(row, QFormLayout::LabelRole)->widget());
            const auto *field = qobject_cast<QLineEdit *>(form->itemAt(row, QFormLayout::FieldRole)->widget());
            QVERIFY(label && field);
            QCOMPARE(label->text(), captions[row]);
            QCOMPARE(field->objectName(), names[row]);
            QCOMPARE(field->echoMode() == QLineEdit::Password, secret.contains(names[row]));
        }
        const auto *buttons = dialog.findChild<QDialogButtonBox *>();
        QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancelar"));

        // OK waits for the first field; what was typed comes back unchanged.
        QVERIFY(!buttons->button(QDialogButtonBox::Ok)->isEnabled());
        for (const QString &name : names)
            dialog.findChild<QLineEdit *>(name)->setText(name + QStringLiteral(" ç:"));
        QVERIFY(buttons->button(QDialogButtonBox::Ok)->isEnabled());
        const TCredentials credentials = dialog.Credentials();
        QCOMPARE(credentials.Scheme, scheme);
        if (scheme == TCredentials::TScheme::Bearer) {
            QCOMPARE(credentials.Token, QStringLiteral("token ç:"));
        } else {
            QCOMPARE(credentials.User, QStringLiteral("usuario ç:"));
            QCOMPARE(credentials.Password, QStringLiteral("senha ç:"));
        }
    }
};

QTEST_MAIN(TestSignInDialog)
#include "tst_TSignInDialog.moc"
