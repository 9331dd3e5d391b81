#pragma once

#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QWidget>

// The control lists a screen hands to the field engine. The screen's widgets own the controls;
// the lists only point at them, and a control destroyed meanwhile is skipped.

// The input controls of one screen, in descriptor order; each control's name (a detail-list
// editor's FieldName) is the member name of its value in the record.
using TFieldMap = QList<QPointer<QWidget>>;
// Object groups: the group's member name in the record -> the controls of its sub-fields.
using TGroupMap = QMap<QString, TFieldMap>;
// Controls with their "required" flag, in the order they are checked.
using TRequiredMap = QList<QPair<QPointer<QWidget>, bool>>;
