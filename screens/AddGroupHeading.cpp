#include "screens/AddGroupHeading.h"

#include "fields/TFieldEngine.h"
#include "widgets/TLXColumnPanel.h"

#include <QHBoxLayout>
#include <QLabel>

QLabel *AddGroupHeading(QWidget *container, const QString &name, const QString &caption)
{
    TLXColumnPanel *row = TFieldEngine::GetItemLayout(container);
    row->setAutoHeight(true);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    auto *heading = new QLabel(caption, row);
    heading->setObjectName(QStringLiteral("lblGrupo_%1").arg(name));
    QFont font = heading->font();
    font.setBold(true);
    font.setUnderline(true);
    heading->setFont(font);
    heading->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The panel gives all labels one width; the stretch keeps the heading at the left.
    rowLayout->addWidget(heading);
    rowLayout->addStretch(1);
    return heading;
}
