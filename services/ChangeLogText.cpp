#include "ChangeLogText.h"

#include "TextHelper.h"

#include <QJsonObject>
#include <QList>
#include <QPair>

namespace {
const QString LineBreak = QStringLiteral("\r\n");
const QString BlockBreak = QStringLiteral("\r\n\r\n");

// The platform word of AppHelper::OS and the mark of entries meant for that platform only.
const QList<QPair<QString, QString>>& platformMarks()
{
    static const QList<QPair<QString, QString>> marks = {{QStringLiteral("windows"), QStringLiteral("[Windows]")},
                                                         {QStringLiteral("linux"), QStringLiteral("[Linux]")},
                                                         {QStringLiteral("macos"), QStringLiteral("[macOS]")},
                                                         {QStringLiteral("android"), QStringLiteral("[Android]")},
                                                         {QStringLiteral("ios"), QStringLiteral("[iOS]")}};
    return marks;
}

// The lines of a block that has entries; empty for a lone version line.
QStringList linesWithEntries(const QString& block)
{
    const QStringList lines = block.split(LineBreak, Qt::KeepEmptyParts);
    return lines.size() < 2 ? QStringList() : lines;
}
} // namespace

const QString ChangeLogText::StyleBlock =
    QStringLiteral("<style> .bull { padding-left: 2px; padding-right: 2px; font-weight: bold; } </style>");

QStringList ChangeLogText::languageTags(const QString& language)
{
    if (language.contains(QStringLiteral("en"), Qt::CaseInsensitive))
        return {QStringLiteral("en-US"), QStringLiteral("en-EN"), QStringLiteral("en")};
    return {QStringLiteral("ru-RU"), QStringLiteral("ru"), QStringLiteral("ru_RU")};
}

QString ChangeLogText::withWindowsLineBreaks(const QString& text)
{
    return QString(text).replace(LineBreak, QStringLiteral("\n")).replace(QLatin1Char('\n'), LineBreak);
}

QString ChangeLogText::resolveLanguages(QString text, const QStringList& wantedTags)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(QLatin1Char('<'), from);
        if (open < 0)
            return text;
        const qsizetype openEnd = text.indexOf(QLatin1Char('>'), open + 2);
        const QString tag = openEnd < 0 ? QString() : text.mid(open + 1, openEnd - open - 1);
        const QString closing = QStringLiteral("</") + tag + QLatin1Char('>');
        const qsizetype close = openEnd < 0 ? -1 : text.indexOf(closing, openEnd + 1);
        // A "<" that opens no element ("<5 ms") is text; the scan goes on right after it, so
        // the next tag is still seen.
        if (close < 0) {
            from = open + 1;
            continue;
        }
        const qsizetype elementEnd = close + closing.size();
        QString element = text.mid(open, elementEnd - open);
        QString replacement;
        if (wantedTags.contains(tag))
            replacement = text.mid(openEnd + 1, close - openEnd - 1).trimmed();
        else if (QStringView(text).mid(elementEnd).startsWith(LineBreak))
            element += LineBreak;
        // The element's content is shorter than the element, so every round shortens the text.
        text.replace(element, replacement);
        from = 0;
    }
}

QStringList ChangeLogText::blocks(const QString& resolvedText)
{
    return TextHelper::splitAndTrim(resolvedText, BlockBreak);
}

QString ChangeLogText::richText(const QStringList& blocks, const QString& platform)
{
    QString html = StyleBlock;
    for (const QString& block : blocks) {
        const QStringList lines = linesWithEntries(block);
        if (!lines.isEmpty())
            html += richBlock(lines, platform);
    }
    return html;
}

QString ChangeLogText::richBlock(const QStringList& lines, const QString& platform)
{
    QString html = QStringLiteral("<b>") + richVersionLine(lines.constFirst()) + QStringLiteral("</b>")
                   + QStringLiteral("<table cellspacing=\"6\">");
    for (qsizetype index = 1; index < lines.size(); ++index) {
        const QString line = lines[index].trimmed();
        if (markedForOtherPlatform(line, platform))
            continue;
        const QString bullet = line.left(1);
        const QString entry = withoutPlatformMarks(line.mid(2).trimmed()).trimmed();
        html += QStringLiteral("<tr><td class=\"bull\">") + bullet.toHtmlEscaped() + QStringLiteral("</td><td>")
                + entry.toHtmlEscaped() + QStringLiteral("</td></tr>");
    }
    return html + QStringLiteral("</table><br><br><br>");
}

// The release date in parentheses shows grey and not bold.
QString ChangeLogText::richVersionLine(const QString& line)
{
    QString version = line.trimmed().toHtmlEscaped();
    if (version.contains(QLatin1Char('(')) && version.contains(QLatin1Char(')')))
        version.replace(QLatin1Char('('), QStringLiteral("<span style=\"color: #999; font-weight: normal\">("))
            .replace(QLatin1Char(')'), QStringLiteral(")</span>"));
    return version;
}

bool ChangeLogText::markedForOtherPlatform(const QString& line, const QString& platform)
{
    for (const auto& [word, mark] : platformMarks())
        if (word != platform && line.contains(mark, Qt::CaseInsensitive))
            return true;
    return false;
}

QString ChangeLogText::withoutPlatformMarks(QString text)
{
    for (const auto& platformMark : platformMarks())
        text.remove(platformMark.second, Qt::CaseInsensitive);
    return text;
}

QJsonArray ChangeLogText::json(const QStringList& blocks)
{
    QJsonArray versions;
    for (const QString& block : blocks) {
        const QStringList lines = linesWithEntries(block);
        if (lines.isEmpty())
            continue;
        QJsonArray changes;
        for (qsizetype index = 1; index < lines.size(); ++index)
            changes.append(lines[index].trimmed());
        versions.append(QJsonObject{{QStringLiteral("version"), lines.constFirst().trimmed()},
                                    {QStringLiteral("changes"), changes}});
    }
    return versions;
}
