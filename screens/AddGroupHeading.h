#pragma once

class QLabel;
class QString;
class QWidget;

// Adds the heading row of an object group to a column panel: a full-width row owned by the
// panel, holding the group's caption at the left in bold underlined type (no colon). The label,
// owned by the row, is named "lblGrupo_<name>".
QLabel *AddGroupHeading(QWidget *container, const QString &name, const QString &caption);
