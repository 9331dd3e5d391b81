#pragma once

#include <QDoubleValidator>

// Takes decimal numbers in the user's locale without group separators. Where the locale's decimal
// separator is not a dot (a comma under pt_BR), a typed dot stands for it: the keypad's decimal key
// and a habit from other programs would otherwise be refused, turning "1.5" into "15".
class TDecimalValidator final : public QDoubleValidator
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDecimalValidator)

public:
    explicit TDecimalValidator(QObject *parent);

    State validate(QString &input, int &pos) const override;
};
