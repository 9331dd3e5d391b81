#include "widgets/TLXDesignPanel.h"

#include "widgets/TLXDesignPanelForm.h"

#include <QRandomGenerator>

TLXDesignPanel::TLXDesignPanel(QWidget *parent)
    : QWidget(parent),
      FNumber(static_cast<int>(QRandomGenerator::global()->bounded(100000, 999999)))
{
    setAutoFillBackground(true); // a plain panel painted with a solid brush
    connect(this, &QObject::objectNameChanged, this, &TLXDesignPanel::NameChanged);
}

TLXDesignPanel::~TLXDesignPanel()
{
    FIgnore = true;
    FPanelForm = nullptr;
}

void TLXDesignPanel::setPanelForm(TLXDesignPanelForm *Value)
{
    if (FPanelForm)
        disconnect(FPanelForm, nullptr, this, nullptr);
    FPanelForm = Value;
    if (!Value)
        return;
    connect(Value, &QObject::destroyed, this, &TLXDesignPanel::PanelFormDestroyed);
    setObjectName(ExpectedName());
}

void TLXDesignPanel::setDestacarFundo(bool value)
{
    if (FDestacarFundo == value)
        return;
    FDestacarFundo = value;
    update();
}

QSize TLXDesignPanel::sizeHint() const
{
    if (layout())
        return QWidget::sizeHint();
    return childrenRect().united(QRect(0, 0, 100, 40)).size();
}

void TLXDesignPanel::NameChanged()
{
    // A panel placed somewhere keeps the name its panel form gives it.
    if (parentWidget() && FPanelForm && objectName() != ExpectedName())
        setObjectName(ExpectedName());
}

void TLXDesignPanel::PanelFormDestroyed()
{
    if (FIgnore)
        return;
    FIgnore = true;
    FPanelForm = nullptr;
    deleteLater();
}

QString TLXDesignPanel::ExpectedName() const
{
    return FPanelForm ? FPanelForm->objectName() + QStringLiteral("_Panel") : QString();
}
