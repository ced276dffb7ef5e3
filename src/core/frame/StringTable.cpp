#include "core/frame/StringTable.h"

#include "core/frame/Resources.h"

#include <QFile>
#include <QHash>

namespace
{
const QHash<int, QString>& table()
{
    static const QHash<int, QString> texts = [] {
        ensureCoreResources();
        QHash<int, QString> t;
        QFile file(QStringLiteral(":/strings.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("The string table is missing from the program's resources");
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        for (const QString& line : lines) {
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            // The id, its name in code, then the texts of its run.
            const QStringList cells = line.split(u'\t');
            const int base = cells.value(0).toInt();
            for (int i = 2; i < cells.size(); ++i)
                t.insert(base + i - 2, cells[i]);
        }
        return t;
    }();
    return texts;
}
} // namespace

QString LoadResString(int id)
{
    return table().value(id);
}
