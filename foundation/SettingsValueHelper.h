#pragma once

#include <QJsonValue>
#include <QList>
#include <QMetaEnum>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QXmlStreamAttributes>

#include <optional>

class AbstractMetaDescription;
class QXmlStreamWriter;

// Conversions of one property value to and from the texts of the settings files. Every
// conversion is exact: what is written reads back as the same value (shortest round-trip
// numbers in the C locale, colours with their alpha, bytes as Base64, line breaks as element
// text with carriage returns as character references, and only text holding a character that
// XML cannot carry at all as Base64 of its UTF-8, marked encoding="base64"). Reading returns
// nothing for a text that does not convert, so the caller leaves the property as it was.
class SettingsValueHelper
{
public:
    enum class Kind {
        Other,
        Integer,
        Unsigned,
        Floating,
        Float32,
        Boolean,
        Text,
        TextList,
        TextMap,
        Point,
        PointF,
        Size,
        Color,
        Enumeration,
        Bytes,
    };

    struct ValueType
    {
        Kind kind = Kind::Other;
        QMetaType metaType;
        QMetaEnum enumeration;
    };

    // One element of a settings document as it was read: its text, attributes and children.
    struct XmlElement
    {
        QString name;
        QString text;
        QXmlStreamAttributes attributes;
        QList<XmlElement> children;
        qint64 line = 0;
    };

    static ValueType typeOf(AbstractMetaDescription* description);
    static ValueType typeOf(QMetaType metaType, QMetaEnum enumeration = QMetaEnum());

    static QString toText(const QVariant& value, const ValueType& type);
    static std::optional<QVariant> fromText(const QString& text, const ValueType& type);

    static QJsonValue toJson(const QVariant& value, const ValueType& type);
    static std::optional<QVariant> fromJson(const QJsonValue& json, const ValueType& type);

    static void writeXml(QXmlStreamWriter& writer, const QString& name, const QVariant& value, const ValueType& type);
    static std::optional<QVariant> fromXml(const XmlElement& element, const ValueType& type);

    static QString shortestText(double value);
    static QString shortestText(float value);
    static std::optional<double> parseDouble(QStringView text);
    // Two numbers written as "x;y", "x,y" or with a QPoint/QPointF/QSize wrapper (0.5f accepted).
    static std::optional<std::pair<double, double>> parsePair(QString text);
    // Whether XML 1.0 element text carries this text unchanged through a write and a read
    // (written by writeXmlCharacters).
    static bool fitsXmlText(const QString& text);
    // Element text that every XML reader gives back as it was: a reader turns a written carriage
    // return into a line feed, so carriage returns go as the character reference "&#13;".
    static void writeXmlCharacters(QXmlStreamWriter& writer, const QString& text);
};
