#pragma once

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVariant>

// Stateless text chores shared by the whole program: stamps in file names, clock texts,
// locale-aware numbers, list splitting and joining, key/value texts, point and rectangle
// texts, fuzzy comparison and transliteration. Bad input gives an empty or default result.
namespace TextHelper {
// "mm:ss", with "hh:" in front from one hour on and ".zzz" appended on request.
QString TimeToText(double seconds, bool withMilliseconds = false);
// "yyyy.MM.dd-hh.mm.ss" (plus ".zzz"); an invalid date-time stands for now.
QString DateTimeFileString(QDateTime dateTime = QDateTime(), bool withMilliseconds = false);
// Number text with the system decimal separator; a negative precision gives 6 significant digits.
QString numToStr(double value, int precision = -1, bool trimZeros = false);
QString numDecimalSeparator();
QString FileName(QString path);

int LevenshteinDistance(QString a, QString b);
int LevenshteinDistanceNoMarksAndCases(QString a, QString b);

QMap<QString, QVariant> ParseTextValueMap(QString text, QString itemSeparator = QStringLiteral(";"),
                                          QString keyValueSeparator = QStringLiteral("="));
QString StringifyTextValueMap(QMap<QString, QVariant> map, QString itemSeparator = QStringLiteral(";"),
                              QString keyValueSeparator = QStringLiteral("="));

QList<QPoint> QListPointsFromString(QString text);
QString QListPointsToString(const QList<QPoint>& points);
QRect QRectFromString(QString text);
QString QRectToString(QRect rect);

Qt::SplitBehaviorFlags SkipEmptyParts();
QString XMLTagContent(const QString& text, const QString& tag, Qt::CaseSensitivity cs = Qt::CaseSensitive);

int caseInsensitiveIndex(const QList<QString>& list, const QString& text);
QString join(const QList<QString>& list, QString separator, QString prefix = QString(), QString suffix = QString());
bool listContainsAll(QList<QString> list, QList<QString> items, Qt::CaseSensitivity cs = Qt::CaseSensitive);
bool listsMatch(QList<QString> a, QList<QString> b, bool sameOrder = true);
QList<QString> multisplit(QList<QString> texts, QList<QString> separators,
                          Qt::SplitBehavior flags = Qt::KeepEmptyParts);
QList<QString> multisplit(QString text, QList<QString> separators, Qt::SplitBehavior flags = Qt::KeepEmptyParts);

QString pad(const QString& text, QString filler, int width);
QString zeroPad(const QString& text, int width);
QString zeroPad(int value, int width);
QString printLikeTable(QMap<QString, QString> map, QString separator = QStringLiteral(":"));

QString randomString(const QList<QString>& list);
void randomizeList(QList<QString>& list);

QString replaceAll(QString text, QList<QString> items, QString replacement, Qt::CaseSensitivity cs = Qt::CaseSensitive);
QString replaceAllContinuous(QString text, QString what, QString replacement);
QList<QString> reverse(QList<QString> list);
QString russianAgeSuffix(int n);
QList<QString> sortListAccordingToMajor(QList<QString> list, const QList<QString>& major);
QList<QString> splitAndTrim(QString text, QString separator);
bool stringContainsListItem(QString text, QList<QString> items, Qt::CaseSensitivity cs = Qt::CaseSensitive);
QString textBetween(const QString& text, const QString& start, const QString& end,
                    Qt::CaseSensitivity cs = Qt::CaseSensitive);
QString toJsonString(QJsonObject object, QJsonDocument::JsonFormat format = QJsonDocument::Indented);
QString translit(QString text);
QString trim(QString text, QChar c);
QString trim(QString text, QString marker);
} // namespace TextHelper

// "1" or "0", the way flags are written into files.
QString boolify(bool value);
