#include "SettingsValueHelper.h"

#include "AbstractMetaDescription.h"

#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QPointF>
#include <QRegularExpression>
#include <QSize>
#include <QXmlStreamWriter>

#include <charconv>
#include <cmath>
#include <limits>

namespace {
using Kind = SettingsValueHelper::Kind;
using StringMap = QMap<QString, QString>;

const QString listItemElement = QStringLiteral("Item");
const QString encodingAttribute = QStringLiteral("encoding");
const QString base64Encoding = QStringLiteral("base64");

Kind kindOfMetaType(QMetaType metaType)
{
    switch (metaType.id()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::LongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
        return Kind::Integer;
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return Kind::Unsigned;
    case QMetaType::Double:
        return Kind::Floating;
    case QMetaType::Float:
        return Kind::Float32;
    case QMetaType::Bool:
        return Kind::Boolean;
    case QMetaType::QString:
        return Kind::Text;
    case QMetaType::QStringList:
        return Kind::TextList;
    case QMetaType::QPoint:
        return Kind::Point;
    case QMetaType::QPointF:
        return Kind::PointF;
    case QMetaType::QSize:
        return Kind::Size;
    case QMetaType::QColor:
        return Kind::Color;
    case QMetaType::QByteArray:
        return Kind::Bytes;
    default:
        break;
    }
    if (metaType == QMetaType::fromType<StringMap>())
        return Kind::TextMap;
    return Kind::Other;
}

// The value range of a whole-number type, from its size: the files hold decimal text that
// may be out of range for the property (an edited file, a narrower type in a newer version).
bool fitsInteger(qlonglong value, QMetaType metaType)
{
    const int bits = metaType.sizeOf() * 8;
    if (bits >= 64)
        return true;
    const qlonglong limit = qlonglong(1) << (bits - 1);
    return value >= -limit && value < limit;
}

bool fitsUnsigned(qulonglong value, QMetaType metaType)
{
    const int bits = metaType.sizeOf() * 8;
    return bits >= 64 || value < (qulonglong(1) << bits);
}

std::optional<QVariant> converted(QVariant value, QMetaType metaType)
{
    if (!value.convert(metaType))
        return std::nullopt;
    return value;
}

std::optional<int> truncatedInt(double value)
{
    const double whole = std::trunc(value);
    if (!(whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return int(whole);
}

QString pairText(const QString& first, const QString& second)
{
    return first + u';' + second;
}

QString colorText(const QColor& color)
{
    if (!color.isValid())
        return QString();
    return color.name(color.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

QString compactJson(const QJsonValue& value)
{
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
}

QJsonArray textListJson(const QStringList& list)
{
    return QJsonArray::fromStringList(list);
}

std::optional<QStringList> textListFromJson(const QJsonValue& json)
{
    if (!json.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue item : json.toArray()) {
        if (!item.isString())
            return std::nullopt;
        list.append(item.toString());
    }
    return list;
}

std::optional<StringMap> textMapFromJson(const QJsonValue& json)
{
    if (!json.isObject())
        return std::nullopt;
    StringMap map;
    const QJsonObject object = json.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        map.insert(it.key(), it.value().toString());
    }
    return map;
}

std::optional<QJsonValue> parseJsonText(const QString& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    if (document.isArray())
        return QJsonValue(document.array());
    return QJsonValue(document.object());
}

std::optional<bool> parseBool(const QString& text)
{
    const QString word = text.trimmed().toLower();
    if (word == u"true" || word == u"1")
        return true;
    if (word == u"false" || word == u"0")
        return false;
    return std::nullopt;
}

std::optional<QVariant> enumerationFromText(const QString& text, const QMetaEnum& enumeration)
{
    bool ok = false;
    const int byKey = enumeration.keyToValue(text.trimmed().toLatin1().constData(), &ok);
    if (ok)
        return QVariant(byKey);
    // A number is taken only when it is one of the enumeration's values: anything else would
    // leave the property holding a value that no key names.
    const int byNumber = text.trimmed().toInt(&ok);
    if (ok && enumeration.valueToKey(byNumber))
        return QVariant(byNumber);
    return std::nullopt;
}

std::optional<QVariant> pointFromText(const QString& text, Kind kind)
{
    const auto pair = SettingsValueHelper::parsePair(text);
    if (!pair)
        return std::nullopt;
    if (kind == Kind::PointF)
        return QVariant(QPointF(pair->first, pair->second));
    const auto first = truncatedInt(pair->first);
    const auto second = truncatedInt(pair->second);
    if (!first || !second)
        return std::nullopt;
    if (kind == Kind::Size)
        return QVariant(QSize(*first, *second));
    return QVariant(QPoint(*first, *second));
}

std::optional<QVariant> floatingFromText(const QString& text, const SettingsValueHelper::ValueType& type)
{
    const auto number = SettingsValueHelper::parseDouble(text);
    if (!number)
        return std::nullopt;
    if (type.kind == Kind::Float32)
        return QVariant(float(*number));
    return QVariant(*number);
}

std::optional<QVariant> integerFromText(const QString& text, const SettingsValueHelper::ValueType& type)
{
    bool ok = false;
    if (type.kind == Kind::Unsigned) {
        const qulonglong number = text.trimmed().toULongLong(&ok);
        if (!ok || !fitsUnsigned(number, type.metaType))
            return std::nullopt;
        return converted(QVariant(number), type.metaType);
    }
    const qlonglong number = text.trimmed().toLongLong(&ok);
    if (!ok || !fitsInteger(number, type.metaType))
        return std::nullopt;
    return converted(QVariant(number), type.metaType);
}

std::optional<QVariant> bytesFromText(const QString& text)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(text.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return QVariant(*decoded);
}

QString decodedText(const SettingsValueHelper::XmlElement& element)
{
    if (element.attributes.value(encodingAttribute) != base64Encoding)
        return element.text;
    return QString::fromUtf8(QByteArray::fromBase64(element.text.trimmed().toLatin1()));
}

void writeTextElement(QXmlStreamWriter& writer, const QString& name, const QString& text)
{
    writer.writeStartElement(name);
    if (SettingsValueHelper::fitsXmlText(text)) {
        SettingsValueHelper::writeXmlCharacters(writer, text);
    } else {
        writer.writeAttribute(encodingAttribute, base64Encoding);
        writer.writeCharacters(QString::fromLatin1(text.toUtf8().toBase64()));
    }
    writer.writeEndElement();
}

// A number as the declarations write it: 0.5f carries the C++ float suffix.
std::optional<double> literalNumber(const QString& text)
{
    if (const auto number = SettingsValueHelper::parseDouble(text))
        return number;
    const QString trimmed = text.trimmed();
    if (trimmed.endsWith(u'f') || trimmed.endsWith(u'F'))
        return SettingsValueHelper::parseDouble(trimmed.chopped(1));
    return std::nullopt;
}

bool isXmlName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.-]*$"));
    return pattern.match(name).hasMatch();
}
} // namespace

SettingsValueHelper::ValueType SettingsValueHelper::typeOf(AbstractMetaDescription* description)
{
    const QMetaEnum enumeration = description->enumerator();
    return typeOf(description->valueMetaType(), enumeration);
}

SettingsValueHelper::ValueType SettingsValueHelper::typeOf(QMetaType metaType, QMetaEnum enumeration)
{
    ValueType type;
    type.metaType = metaType;
    type.enumeration = enumeration;
    type.kind = enumeration.isValid() ? Kind::Enumeration : kindOfMetaType(metaType);
    return type;
}

QString SettingsValueHelper::toText(const QVariant& value, const ValueType& type)
{
    switch (type.kind) {
    case Kind::Integer:
        return QString::number(value.toLongLong());
    case Kind::Unsigned:
        return QString::number(value.toULongLong());
    case Kind::Floating:
        return shortestText(value.toDouble());
    case Kind::Float32:
        return shortestText(value.toFloat());
    case Kind::Boolean:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case Kind::Text:
        return value.toString();
    case Kind::TextList:
    case Kind::TextMap:
        return compactJson(toJson(value, type));
    case Kind::Point: {
        const QPoint point = value.toPoint();
        return pairText(QString::number(point.x()), QString::number(point.y()));
    }
    case Kind::PointF: {
        const QPointF point = value.toPointF();
        return pairText(shortestText(point.x()), shortestText(point.y()));
    }
    case Kind::Size: {
        const QSize size = value.toSize();
        return pairText(QString::number(size.width()), QString::number(size.height()));
    }
    case Kind::Color:
        return colorText(value.value<QColor>());
    case Kind::Enumeration: {
        const int number = value.toInt();
        const char* key = type.enumeration.valueToKey(number);
        return key ? QString::fromLatin1(key) : QString::number(number);
    }
    case Kind::Bytes:
        return QString::fromLatin1(value.toByteArray().toBase64());
    case Kind::Other:
        break;
    }
    return value.toString();
}

std::optional<QVariant> SettingsValueHelper::fromText(const QString& text, const ValueType& type)
{
    switch (type.kind) {
    case Kind::Integer:
    case Kind::Unsigned:
        return integerFromText(text, type);
    case Kind::Floating:
    case Kind::Float32:
        return floatingFromText(text, type);
    case Kind::Boolean:
        if (const auto flag = parseBool(text))
            return QVariant(*flag);
        return std::nullopt;
    case Kind::Text:
        return QVariant(text);
    case Kind::TextList:
    case Kind::TextMap:
        if (const auto json = parseJsonText(text))
            return fromJson(*json, type);
        return std::nullopt;
    case Kind::Point:
    case Kind::PointF:
    case Kind::Size:
        return pointFromText(text, type.kind);
    case Kind::Color: {
        if (text.trimmed().isEmpty())
            return QVariant(QColor());
        const QColor color = QColor::fromString(text.trimmed());
        if (!color.isValid())
            return std::nullopt;
        return QVariant(color);
    }
    case Kind::Enumeration:
        return enumerationFromText(text, type.enumeration);
    case Kind::Bytes:
        return bytesFromText(text);
    case Kind::Other:
        break;
    }
    return converted(QVariant(text), type.metaType);
}

QJsonValue SettingsValueHelper::toJson(const QVariant& value, const ValueType& type)
{
    switch (type.kind) {
    case Kind::Integer:
        return QJsonValue(value.toLongLong());
    case Kind::Unsigned:
        if (value.toULongLong() > qulonglong(std::numeric_limits<qint64>::max()))
            return QJsonValue(toText(value, type));
        return QJsonValue(qint64(value.toULongLong()));
    case Kind::Floating:
    case Kind::Float32:
        // JSON numbers carry neither NaN, the infinities nor the sign of zero; those values
        // travel as their texts "nan", "inf", "-inf" and "-0".
        if (!std::isfinite(value.toDouble()) || (value.toDouble() == 0 && std::signbit(value.toDouble())))
            return QJsonValue(toText(value, type));
        return QJsonValue(toText(value, type).toDouble());
    case Kind::Boolean:
        return QJsonValue(value.toBool());
    case Kind::TextList:
        return textListJson(value.toStringList());
    case Kind::TextMap: {
        QJsonObject object;
        const StringMap map = value.value<StringMap>();
        for (auto it = map.begin(); it != map.end(); ++it)
            object.insert(it.key(), it.value());
        return object;
    }
    default:
        return QJsonValue(toText(value, type));
    }
}

std::optional<QVariant> SettingsValueHelper::fromJson(const QJsonValue& json, const ValueType& type)
{
    switch (type.kind) {
    case Kind::Text:
        if (!json.isString())
            return std::nullopt;
        return QVariant(json.toString());
    case Kind::TextList:
        if (const auto list = textListFromJson(json))
            return QVariant(*list);
        return std::nullopt;
    case Kind::TextMap:
        if (const auto map = textMapFromJson(json))
            return QVariant::fromValue(*map);
        return std::nullopt;
    case Kind::Boolean:
        if (json.isBool())
            return QVariant(json.toBool());
        break;
    case Kind::Integer:
    case Kind::Unsigned:
        // An integer member keeps all 64 bits; a fractional one is not a whole number.
        if (json.isDouble())
            return fromText(json.toVariant().toString(), type);
        break;
    case Kind::Floating:
    case Kind::Float32:
        if (json.isDouble())
            return fromText(shortestText(json.toDouble()), type);
        break;
    default:
        break;
    }
    if (!json.isString())
        return std::nullopt;
    return fromText(json.toString(), type);
}

void SettingsValueHelper::writeXml(QXmlStreamWriter& writer, const QString& name, const QVariant& value,
                                   const ValueType& type)
{
    if (type.kind == Kind::TextList) {
        writer.writeStartElement(name);
        for (const QString& item : value.toStringList())
            writeTextElement(writer, listItemElement, item);
        writer.writeEndElement();
        return;
    }
    if (type.kind == Kind::TextMap) {
        writer.writeStartElement(name);
        const StringMap map = value.value<StringMap>();
        for (auto it = map.begin(); it != map.end(); ++it) {
            if (isXmlName(it.key()))
                writeTextElement(writer, it.key(), it.value());
            else
                qWarning() << "Settings: the key" << it.key() << "of" << name << "is not an XML name; not written";
        }
        writer.writeEndElement();
        return;
    }
    writeTextElement(writer, name, toText(value, type));
}

std::optional<QVariant> SettingsValueHelper::fromXml(const XmlElement& element, const ValueType& type)
{
    if (type.kind == Kind::TextList) {
        QStringList list;
        for (const XmlElement& child : element.children)
            list.append(decodedText(child));
        // A one-item list in an older file is the item's text alone.
        if (element.children.isEmpty() && !element.text.isEmpty())
            list.append(decodedText(element));
        return QVariant(list);
    }
    if (type.kind == Kind::TextMap) {
        StringMap map;
        for (const XmlElement& child : element.children)
            map.insert(child.name, decodedText(child));
        return QVariant::fromValue(map);
    }
    if (!element.children.isEmpty())
        return std::nullopt;
    return fromText(decodedText(element), type);
}

QString SettingsValueHelper::shortestText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString SettingsValueHelper::shortestText(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

std::optional<double> SettingsValueHelper::parseDouble(QStringView text)
{
    QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.startsWith('+'))
        bytes.remove(0, 1);
    double value = 0;
    const char* end = bytes.constData() + bytes.size();
    const auto result = std::from_chars(bytes.constData(), end, value);
    if (result.ec != std::errc() || result.ptr != end || bytes.isEmpty())
        return std::nullopt;
    return value;
}

std::optional<std::pair<double, double>> SettingsValueHelper::parsePair(QString text)
{
    for (const char* wrapper : {"QPointF", "QPoint", "QSize", "(", ")"})
        text.remove(QLatin1String(wrapper));
    static const QRegularExpression separators(QStringLiteral("[;,]"));
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return std::nullopt;
    const auto first = literalNumber(parts[0]);
    const auto second = literalNumber(parts[1]);
    if (!first || !second)
        return std::nullopt;
    return std::pair(*first, *second);
}

bool SettingsValueHelper::fitsXmlText(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        const char16_t u = c.unicode();
        const bool allowed =
            u == u'\t' || u == u'\n' || u == u'\r' || (u >= 0x20 && u < 0xD800) || (u >= 0xE000 && u <= 0xFFFD);
        if (!allowed)
            return false;
    }
    return true;
}

void SettingsValueHelper::writeXmlCharacters(QXmlStreamWriter& writer, const QString& text)
{
    const QStringList lines = text.split(u'\r');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            writer.writeEntityReference(QStringLiteral("#13"));
        writer.writeCharacters(lines.at(i));
    }
}
