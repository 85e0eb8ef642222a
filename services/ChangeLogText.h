#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>

// The change-log text: version blocks separated by an empty line, each a version line followed
// by one element per language ("<ru-RU>" ... "</ru-RU>", "<en-EN>" ... "</en-EN>") holding
// bulleted entries, some marked for one platform ("[Linux]"). Turns it into the blocks of one
// language, the rich text the about page shows (only the entries of the running platform) and a
// JSON array. Pure text work; the caching and the finding of the file are AppHelper's.
class ChangeLogText
{
public:
    static const QString StyleBlock;

    // The language tags whose elements are kept: English ones for a language that holds "en",
    // else Russian ones.
    static QStringList languageTags(const QString& language);
    // Line breaks made "\r\n" whatever the file was saved with, so the blocks split alike.
    static QString withWindowsLineBreaks(const QString& text);
    // Elements of the wanted tags give up their content; any other element with a closing tag
    // vanishes with what it encloses (and its line break); a "<" that opens no element stays.
    static QString resolveLanguages(QString text, const QStringList& wantedTags);
    static QStringList blocks(const QString& resolvedText);
    // The platform word is AppHelper::OS's: entries marked for another platform are left out,
    // the running platform's mark is dropped. Every text taken from the log is escaped.
    static QString richText(const QStringList& blocks, const QString& platform);
    // {"version": ..., "changes": [...]} per block that has entries; marks and bullets stay.
    static QJsonArray json(const QStringList& blocks);

private:
    static QString richBlock(const QStringList& lines, const QString& platform);
    static QString richVersionLine(const QString& line);
    static bool markedForOtherPlatform(const QString& line, const QString& platform);
    static QString withoutPlatformMarks(QString text);
};
