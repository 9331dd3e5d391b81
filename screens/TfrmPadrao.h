#pragma once

#include <QWidget>

// The base of every screen: a top-level window whose only setting is the default font.
class TfrmPadrao : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmPadrao(QWidget *parent = nullptr);
};
