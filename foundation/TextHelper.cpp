#include "TextHelper.h"

#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator64>

#include <algorithm>
#include <climits>
#include <vector>

namespace {
const QChar cDecimalPoint = QLatin1Char('.');

// The classic table is capped at 100 x 100 cells, so only the first 99 characters count.
constexpr qsizetype levenshteinMaxLength = 99;

// Guards replaceAllContinuous against rewrites that keep creating new occurrences.
constexpr int maxContinuousPasses = 10000;

const QHash<QChar, QString>& transliterationTable()
{
    static const QHash<QChar, QString> table = [] {
        const QString cyrillic = QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
        const QStringList latin = {"a", "b",  "v",  "g",  "d",   "e", "e", "zh", "z", "i",  "y",
                                   "k", "l",  "m",  "n",  "o",   "p", "r", "s",  "t", "u",  "f",
                                   "h", "ts", "ch", "sh", "sch", "",  "y", "",   "e", "yu", "ya"};
        QHash<QChar, QString> result;
        for (qsizetype i = 0; i < cyrillic.size(); ++i) {
            const QString& lower = latin[i];
            const QString upper = lower.isEmpty() ? lower : lower.left(1).toUpper() + lower.mid(1);
            result.insert(cyrillic[i], lower);
            result.insert(cyrillic[i].toUpper(), upper);
        }
        return result;
    }();
    return table;
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString trimmedFraction(const QString& text)
{
    const QStringList parts = text.split(cDecimalPoint);
    if (parts.size() != 2)
        return text;
    QString fraction = parts[1];
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return fraction.isEmpty() ? parts[0] : parts[0] + cDecimalPoint + fraction;
}

QString withoutMarksAndCase(QString text)
{
    for (const QChar mark : {QChar('.'), QChar('!'), QChar(','), QChar('?'), QChar('-')})
        text.remove(mark);
    text.replace(QStringLiteral("  "), QStringLiteral(" "));
    return text.toLower().trimmed();
}
} // namespace

namespace TextHelper {
QString TimeToText(double seconds, bool withMilliseconds)
{
    const qint64 whole = qint64(seconds);
    const qint64 milliseconds = qint64((seconds - double(whole)) * 1000.0);
    const qint64 totalMinutes = qint64(seconds / 60.0);
    const qint64 hours = totalMinutes / 60;
    const qint64 minutes = totalMinutes - 60 * hours;
    QString text = twoDigits(minutes) + QLatin1Char(':') + twoDigits(whole % 60);
    if (withMilliseconds)
        text += QStringLiteral(".%1").arg(milliseconds, 3, 10, QLatin1Char('0'));
    if (hours >= 1)
        text.prepend(twoDigits(hours) + QLatin1Char(':'));
    return text;
}

QString DateTimeFileString(QDateTime dateTime, bool withMilliseconds)
{
    if (!dateTime.isValid())
        dateTime = QDateTime::currentDateTime();
    return dateTime.toString(withMilliseconds ? QStringLiteral("yyyy.MM.dd-hh.mm.ss.zzz")
                                              : QStringLiteral("yyyy.MM.dd-hh.mm.ss"));
}

QString numToStr(double value, int precision, bool trimZeros)
{
    QString text = precision < 0 ? QString::number(value, 'g', 6) : QString::number(value, 'f', precision);
    if (trimZeros && precision >= 1 && text.contains(cDecimalPoint))
        text = trimmedFraction(text);
    static const QString separator = numDecimalSeparator();
    if (separator != QString(cDecimalPoint))
        text.replace(cDecimalPoint, separator);
    return text;
}

QString numDecimalSeparator()
{
    static const QString separator = QLocale::system().decimalPoint();
    return separator;
}

QString FileName(QString path)
{
    return QFileInfo(path).fileName();
}

int LevenshteinDistance(QString a, QString b)
{
    if (a.isEmpty() || b.isEmpty())
        return int(std::max(a.size(), b.size()));
    a.truncate(levenshteinMaxLength);
    b.truncate(levenshteinMaxLength);
    // One row of the table at a time; row[j] is the distance between a[0..i) and b[0..j).
    std::vector<int> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
        }
    }
    return row[b.size()];
}

int LevenshteinDistanceNoMarksAndCases(QString a, QString b)
{
    return LevenshteinDistance(withoutMarksAndCase(a), withoutMarksAndCase(b));
}

QMap<QString, QVariant> ParseTextValueMap(QString text, QString itemSeparator, QString keyValueSeparator)
{
    QMap<QString, QVariant> map;
    for (const QString& item : text.trimmed().split(itemSeparator, Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(keyValueSeparator, Qt::SkipEmptyParts);
        if (parts.size() == 2)
            map.insert(parts[0], QVariant(parts[1].trimmed()));
    }
    return map;
}

QString StringifyTextValueMap(QMap<QString, QVariant> map, QString itemSeparator, QString keyValueSeparator)
{
    QString text;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        text += it.key() + keyValueSeparator + it.value().toString() + itemSeparator;
    return text;
}

QList<QPoint> QListPointsFromString(QString text)
{
    QList<QPoint> points;
    if (text.size() < 3)
        return points;
    for (const QString& item : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (item.size() < 3)
            continue;
        const QStringList parts = item.split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (parts.size() == 2)
            points.append(QPoint(parts[0].toInt(), parts[1].toInt()));
    }
    return points;
}

QString QListPointsToString(const QList<QPoint>& points)
{
    QString text;
    for (const QPoint& point : points)
        text += QString::number(point.x()) + QLatin1Char(',') + QString::number(point.y()) + QLatin1Char(';');
    return text;
}

QRect QRectFromString(QString text)
{
    if (text.size() < 7)
        return QRect();
    const QStringList parts = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return QRect();
    return QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
}

QString QRectToString(QRect rect)
{
    return QStringLiteral("%1;%2;%3;%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

Qt::SplitBehaviorFlags SkipEmptyParts()
{
    return Qt::SkipEmptyParts;
}

QString XMLTagContent(const QString& text, const QString& tag, Qt::CaseSensitivity cs)
{
    return textBetween(text, QLatin1Char('<') + tag + QLatin1Char('>'), QStringLiteral("</") + tag + QLatin1Char('>'),
                       cs);
}

int caseInsensitiveIndex(const QList<QString>& list, const QString& text)
{
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].compare(text, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QString join(const QList<QString>& list, QString separator, QString prefix, QString suffix)
{
    QStringList decorated;
    decorated.reserve(list.size());
    for (const QString& item : list)
        decorated.append(prefix + item + suffix);
    return decorated.join(separator);
}

bool listContainsAll(QList<QString> list, QList<QString> items, Qt::CaseSensitivity cs)
{
    return std::all_of(items.cbegin(), items.cend(), [&](const QString& item) { return list.contains(item, cs); });
}

bool listsMatch(QList<QString> a, QList<QString> b, bool sameOrder)
{
    if (!sameOrder) {
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
    }
    return a == b;
}

QList<QString> multisplit(QList<QString> texts, QList<QString> separators, Qt::SplitBehavior flags)
{
    if (separators.isEmpty())
        return texts;
    const QString separator = separators.takeFirst();
    QList<QString> pieces;
    for (const QString& text : texts)
        pieces += text.split(separator, flags);
    return multisplit(pieces, separators, flags);
}

QList<QString> multisplit(QString text, QList<QString> separators, Qt::SplitBehavior flags)
{
    return multisplit(QList<QString>{text}, separators, flags);
}

QString pad(const QString& text, QString filler, int width)
{
    if (width <= text.size() || filler.isEmpty())
        return text;
    return filler.repeated(width - text.size()) + text;
}

QString zeroPad(const QString& text, int width)
{
    return pad(text, QStringLiteral("0"), width);
}

QString zeroPad(int value, int width)
{
    return zeroPad(QString::number(value), width);
}

QString printLikeTable(QMap<QString, QString> map, QString separator)
{
    if (map.isEmpty())
        return QString();
    qsizetype keyWidth = 0;
    for (const QString& key : map.keys())
        keyWidth = std::max(keyWidth, key.size());
    const qsizetype column = keyWidth + 1;
    QString text;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        text += it.key() + separator;
        const qsizetype used = it.key().size() + separator.size();
        if (used <= column)
            text += QString(column - used + 1, QLatin1Char(' '));
        text += it.value() + QStringLiteral("\r\n");
    }
    return text.trimmed();
}

QString randomString(const QList<QString>& list)
{
    if (list.isEmpty())
        return QString();
    if (list.size() == 1)
        return list.first();
    return list[qsizetype(QRandomGenerator64::global()->bounded(qint64(list.size())))];
}

void randomizeList(QList<QString>& list)
{
    for (qsizetype i = list.size() - 1; i >= 1; --i)
        list.swapItemsAt(i, qsizetype(QRandomGenerator64::global()->bounded(qint64(i + 1))));
}

QString replaceAll(QString text, QList<QString> items, QString replacement, Qt::CaseSensitivity cs)
{
    for (const QString& item : items)
        text.replace(item, replacement, cs);
    return text;
}

QString replaceAllContinuous(QString text, QString what, QString replacement)
{
    // A replacement holding the searched text would recreate it forever: leave such texts alone.
    if (what.isEmpty() || replacement.contains(what))
        return text;
    const QString original = text;
    for (int pass = 0; text.contains(what); ++pass) {
        if (pass == maxContinuousPasses)
            return original;
        text.replace(what, replacement);
    }
    return text;
}

QList<QString> reverse(QList<QString> list)
{
    std::reverse(list.begin(), list.end());
    return list;
}

QString russianAgeSuffix(int n)
{
    const qint64 a = qAbs(qint64(n));
    const qint64 d = a % 10;
    const qint64 h = a > 10 ? a % 100 : 0;
    if (d == 1 && h != 11)
        return QStringLiteral("год");
    if (d >= 2 && d <= 4 && (h < 11 || h > 14))
        return QStringLiteral("года");
    return QStringLiteral("лет");
}

QList<QString> sortListAccordingToMajor(QList<QString> list, const QList<QString>& major)
{
    QHash<QString, int> rank;
    for (qsizetype i = 0; i < major.size(); ++i)
        rank.insert(major[i], int(i));
    std::stable_sort(list.begin(), list.end(), [&rank](const QString& a, const QString& b) {
        return rank.value(a, INT_MAX) < rank.value(b, INT_MAX);
    });
    return list;
}

QList<QString> splitAndTrim(QString text, QString separator)
{
    QList<QString> parts;
    for (const QString& part : text.trimmed().split(separator)) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            parts.append(trimmed);
    }
    return parts;
}

bool stringContainsListItem(QString text, QList<QString> items, Qt::CaseSensitivity cs)
{
    if (text.isEmpty())
        return false;
    return std::any_of(items.cbegin(), items.cend(), [&](const QString& item) { return text.contains(item, cs); });
}

QString textBetween(const QString& text, const QString& start, const QString& end, Qt::CaseSensitivity cs)
{
    const qsizetype startPosition = text.indexOf(start, 0, cs);
    if (startPosition < 0)
        return QString();
    const qsizetype endPosition = text.indexOf(end, startPosition, cs);
    const qsizetype contentPosition = startPosition + start.size();
    // An end marker that begins inside the start marker leaves nothing between them.
    if (endPosition <= startPosition || endPosition < contentPosition)
        return QString();
    return text.mid(contentPosition, endPosition - contentPosition);
}

QString toJsonString(QJsonObject object, QJsonDocument::JsonFormat format)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(format));
}

QString translit(QString text)
{
    const QHash<QChar, QString>& table = transliterationTable();
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const auto found = table.constFind(c);
        if (found == table.cend())
            result += c;
        else
            result += *found;
    }
    return result;
}

QString trim(QString text, QChar c)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == c)
        ++first;
    while (last > first && text[last - 1] == c)
        --last;
    return text.mid(first, last - first);
}

QString trim(QString text, QString marker)
{
    // An empty marker would be found at both ends forever.
    if (marker.isEmpty())
        return text;
    while (text.startsWith(marker))
        text.remove(0, marker.size());
    while (text.endsWith(marker))
        text.chop(marker.size());
    return text;
}
} // namespace TextHelper

QString boolify(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}
