#include "ui/DiagramMenu.h"

#include <QActionGroup>
#include <QMenu>

namespace versino {

QMenu* addDiagramMenu(QMenu& edit, std::function<SongDocument&()> document) {
    struct Item {
        const char* caption;
        const char* objectName;
        const char* value;
    };
    static const Item kItems[] = {
        {"&keine", "GriffbilderKeine", ""},
        {"&Gitarre", "GriffbilderGitarre", "gitarre"},
        {"&Ukulele", "GriffbilderUkulele", "ukulele"},
        {"K&lavier", "GriffbilderKlavier", "klavier"},
    };
    edit.addSeparator();
    QMenu* menu = edit.addMenu(QStringLiteral("&Griffbilder . . ."));
    menu->setObjectName(QStringLiteral("Griffbilder"));
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const Item& item : kItems) {
        QAction* action = menu->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.objectName));
        action->setCheckable(true);
        action->setData(QString::fromLatin1(item.value));
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu, [document, action] {
            SongDocument& doc = document();
            SongOptions options = doc.options();
            options.diagrams = action->data().toString().toStdString();
            doc.setOptions(std::move(options));
        });
    }
    QObject::connect(menu, &QMenu::aboutToShow, menu, [document, group] {
        const QString current = QString::fromStdString(document().options().diagrams);
        for (QAction* action : group->actions())
            action->setChecked(action->data().toString() == current);
    });
    return menu;
}

} // namespace versino
