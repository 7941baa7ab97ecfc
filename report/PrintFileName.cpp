#include "PrintFileName.h"

#include "BoltResult.h"
#include "TestRecord.h"

#include <QFileInfo>

#include <memory>

namespace rovana {
namespace {

// A name for a file: no separator, no control character, no leading dot (a hidden file)
// and no surrounding spaces.
QString FileNamePart(QString name)
{
    for (QChar& c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name;
}

QString BoltNumberOf(const QString& path)
{
    auto record = std::make_unique<TestRecord>();
    if (!record->Load(path))
        return {};
    return ResultOf(*record).boltNo;
}

} // namespace

QString OfferedPdfPath(const QString& folder, const QStringList& list)
{
    QString name;
    if (list.size() == 1) {
        const QString path = folder + QLatin1Char('/') + list.front();
        name = FileNamePart(BoltNumberOf(path));
        if (name.isEmpty())
            name = FileNamePart(QFileInfo(list.front()).completeBaseName());
    } else {
        name = FileNamePart(QFileInfo(folder).fileName());
    }
    if (name.isEmpty())
        name = QStringLiteral("检测结果");
    return folder + QLatin1Char('/') + name + QStringLiteral(".pdf");
}

} // namespace rovana
