#pragma once

#include "widgets/TLXDesignPanelForm.h"

#include <QPointer>
#include <QWidget>

// A plain panel that carries the controls of a pop-up window laid out on a screen. Its name
// follows its panel form ("<form>_Panel"); when a panel form it knows is released, the panel is
// released too (unless it already went with the form's window).
class TLXDesignPanel final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TLXDesignPanelForm *PanelForm READ PanelForm WRITE setPanelForm)
    Q_PROPERTY(bool DestacarFundo READ DestacarFundo WRITE setDestacarFundo)

public:
    explicit TLXDesignPanel(QWidget *parent = nullptr);
    ~TLXDesignPanel() override;
    Q_DISABLE_COPY_MOVE(TLXDesignPanel)

    TLXDesignPanelForm *PanelForm() const { return FPanelForm; }
    void setPanelForm(TLXDesignPanelForm *Value);
    bool DestacarFundo() const { return FDestacarFundo; }
    void setDestacarFundo(bool value);
    // Drawn at creation; identifies the panel when a screen is edited in a designer.
    int Number() const { return FNumber; }

    QSize sizeHint() const override;

private:
    void NameChanged();
    void PanelFormDestroyed();
    QString ExpectedName() const;

    QPointer<TLXDesignPanelForm> FPanelForm;
    int FNumber;
    bool FIgnore = false;
    bool FDestacarFundo = false;
};
