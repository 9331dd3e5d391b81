#pragma once

#include <QColor>
#include <QObject>
#include <QString>

// Window settings a panel form copies into its window at every show. Owned by the panel form.
class TFormConfig final : public QObject
{
    Q_OBJECT

public:
    enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
    Q_ENUM(TFormStyle)
    enum TPosition {
        poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly,
        poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter
    };
    Q_ENUM(TPosition)
    enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
    Q_ENUM(TFormBorderStyle)
    enum TBorderIcon { biSystemMenu = 0x1, biMinimize = 0x2, biMaximize = 0x4, biHelp = 0x8 };
    Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
    Q_FLAG(TBorderIcons)

private:
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool AlphaBlend READ AlphaBlend WRITE setAlphaBlend)
    Q_PROPERTY(int AlphaBlendValue READ AlphaBlendValue WRITE setAlphaBlendValue)
    Q_PROPERTY(TBorderIcons BorderIcons READ BorderIcons WRITE setBorderIcons)
    Q_PROPERTY(bool TransparentColor READ TransparentColor WRITE setTransparentColor)
    Q_PROPERTY(QColor TransparentColorValue READ TransparentColorValue WRITE setTransparentColorValue)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE setCtl3D)
    Q_PROPERTY(TFormStyle FormStyle READ FormStyle WRITE setFormStyle)
    Q_PROPERTY(TPosition Position READ Position WRITE setPosition)
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)

public:
    explicit TFormConfig(QObject *parent);
    Q_DISABLE_COPY_MOVE(TFormConfig)

    QString Caption() const { return FCaption; }
    void setCaption(const QString &value) { FCaption = value; }
    bool AlphaBlend() const { return FAlphaBlend; }
    void setAlphaBlend(bool value) { FAlphaBlend = value; }
    int AlphaBlendValue() const { return FAlphaBlendValue; }
    void setAlphaBlendValue(int value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void setBorderIcons(TBorderIcons value) { FBorderIcons = value; }
    bool TransparentColor() const { return FTransparentColor; }
    void setTransparentColor(bool value) { FTransparentColor = value; }
    QColor TransparentColorValue() const { return FTransparentColorValue; }
    void setTransparentColorValue(const QColor &value) { FTransparentColorValue = value; }
    bool Ctl3D() const { return FCtl3D; }
    void setCtl3D(bool value) { FCtl3D = value; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void setFormStyle(TFormStyle value) { FFormStyle = value; }
    TPosition Position() const { return FPosition; }
    void setPosition(TPosition value) { FPosition = value; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void setBorderStyle(TFormBorderStyle value) { FBorderStyle = value; }

private:
    QColor FTransparentColorValue;
    TFormStyle FFormStyle = fsNormal;
    bool FTransparentColor = false;
    bool FCtl3D = true;
    int FAlphaBlendValue = 255;
    TBorderIcons FBorderIcons = TBorderIcons(biSystemMenu) | biMinimize | biMaximize;
    bool FAlphaBlend = false;
    QString FCaption = QStringLiteral("LXPanelForm");
    TPosition FPosition = poDefaultPosOnly;
    TFormBorderStyle FBorderStyle = bsSizeable;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormConfig::TBorderIcons)
