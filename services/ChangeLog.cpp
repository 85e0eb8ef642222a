#include "ChangeLog.h"

#include "AppHelper.h"
#include "ChangeLogText.h"
#include "FileUtilities.h"
#include "LanguageContext.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace {
struct ChangeLogCache
{
    QString raw;
    QString resolved;
};

ChangeLogCache& cache()
{
    static ChangeLogCache texts;
    return texts;
}

QString firstContaining(const QList<QString>& paths, const QStringList& words)
{
    for (const QString& path : paths)
        if (std::all_of(words.cbegin(), words.cend(),
                        [&path](const QString& word) { return path.contains(word, Qt::CaseInsensitive); }))
            return path;
    return QString();
}

QString changeLogBesideProgram()
{
    const QList<QString> texts =
        FileUtilities::getFilesOfType(QCoreApplication::applicationDirPath(), QStringLiteral("txt"), false, true);
    const QString word = QStringLiteral("ChangeLog");
    const QString named = firstContaining(texts, {word, QCoreApplication::applicationName()});
    return named.isEmpty() ? firstContaining(texts, {word}) : named;
}
} // namespace

namespace AppHelper {
QString translatedChangeLogPath()
{
    const QString resource = findInResources(QStringLiteral("ChangeLog.txt"));
    return resource.isEmpty() ? changeLogBesideProgram() : resource;
}

QStringList translatedChangeLogBlocks(const QString& path)
{
    const QString source = path.isEmpty() ? translatedChangeLogPath() : path;
    if (source.isEmpty())
        return {};
    QFile file(QString(source).replace(QStringLiteral("qrc:/"), QStringLiteral(":/")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    ChangeLogCache& texts = cache();
    if (texts.raw.isEmpty())
        texts.raw = ChangeLogText::withWindowsLineBreaks(QString::fromUtf8(file.readAll()));
    if (texts.resolved.isEmpty())
        texts.resolved =
            ChangeLogText::resolveLanguages(texts.raw, ChangeLogText::languageTags(LanguageContext::currentLanguage()));
    return ChangeLogText::blocks(texts.resolved);
}

QString translatedChangeLog(const QString& path)
{
    return ChangeLogText::richText(translatedChangeLogBlocks(path), OS());
}

QJsonArray translatedChangeLogJson(const QString& path)
{
    return ChangeLogText::json(translatedChangeLogBlocks(path));
}
} // namespace AppHelper
