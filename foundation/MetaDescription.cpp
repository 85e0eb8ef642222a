#include "MetaDescription.h"

#include "SettingsValueHelper.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QDebug>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {
QString textAfterLastScope(const QString& text)
{
    const qsizetype scope = text.lastIndexOf(QStringLiteral("::"));
    return scope < 0 ? text : text.mid(scope + 2);
}

// "0.5f" and "100u" carry C++ literal suffixes; an exponent such as 1.5e3 must survive.
QString numberDefault(const QString& raw)
{
    static const QRegularExpression suffix(QStringLiteral("[fFlLuU]+$"));
    QString withoutSuffix = raw.trimmed();
    withoutSuffix.remove(suffix);
    if (SettingsValueHelper::parseDouble(withoutSuffix))
        return withoutSuffix;
    static const QRegularExpression letters(QStringLiteral("[a-zA-Z]"));
    return QString(raw).remove(letters);
}

// Integers may be declared as C++ writes them: "0xFFu", "010", "-3L".
QString integerDefault(const QString& raw)
{
    static const QRegularExpression suffix(QStringLiteral("[lLuU]+$"));
    QString digits = raw.trimmed();
    digits.remove(suffix);
    bool ok = false;
    if (const qlonglong value = digits.toLongLong(&ok, 0); ok)
        return QString::number(value);
    if (const qulonglong value = digits.toULongLong(&ok, 0); ok)
        return QString::number(value);
    return numberDefault(raw);
}

QString unquoted(QString text)
{
    while (text.startsWith(u'"'))
        text.remove(0, 1);
    while (text.endsWith(u'"'))
        text.chop(1);
    return text;
}

QString colorDefault(const QString& raw)
{
    static const QRegularExpression hex(QStringLiteral("(\\#[a-fA-F0-9]+)"));
    static const QRegularExpression global(QStringLiteral("Qt::(\\w+)"));
    static const QRegularExpression quotedName(QStringLiteral("\\(\\s*\"(\\w+)\"\\s*\\)"));
    if (const auto match = hex.match(raw); match.hasMatch())
        return match.captured(0);
    if (const auto match = global.match(raw); match.hasMatch()) {
        const QMetaEnum colors = QMetaEnum::fromType<Qt::GlobalColor>();
        bool ok = false;
        const int value = colors.keyToValue(match.captured(1).toLatin1().constData(), &ok);
        if (ok)
            return QColor(Qt::GlobalColor(value)).name();
    }
    if (const auto match = quotedName.match(raw); match.hasMatch())
        return QColor::fromString(match.captured(1)).name();
    return raw;
}
} // namespace

MetaDescription::MetaDescription(QObject* parent)
    : AbstractMetaDescription(parent)
{
}

void MetaDescription::set(int index, QObject* described)
{
    propertyIndex = index;
    object = described;
    hasMinimum = hasMaximum = hasStep = false;
    const QMetaProperty property = metaprop();
    name = QString::fromLatin1(property.name());
    typeName = QString::fromLatin1(property.typeName());
    typeId = property.metaType().id();
    readFlags();
    readDefault();
    readVisibleBound();
    readNumbersAndTexts();
    readEditorHints();
    connectNotifySignal();
}

void MetaDescription::readFlags()
{
    editable = getClassInfo(QStringLiteral("Editable")) == u"true";
    visible = clindex(QStringLiteral("NotVisible")) < 0;
    const QString declaredName = getClassInfo(QStringLiteral("DisplayName"));
    displayName = declaredName.isEmpty() ? name : declaredName;
}

void MetaDescription::readDefault()
{
    const bool overridden = clindex(QStringLiteral("DefaultOverride")) >= 0;
    if (!overridden && clindex(QStringLiteral("Default")) < 0)
        return;
    const QString raw = getClassInfo(overridden ? QStringLiteral("DefaultOverride") : QStringLiteral("Default"));
    defaultText = processedDefault(raw);
    if (raw.endsWith(QStringLiteral("()")))
        defaultText = defaultFromFunction(raw.chopped(2));
    hasDefault = true;
}

QString MetaDescription::processedDefault(const QString& raw)
{
    if (metaprop().isEnumType()) {
        typeName = QStringLiteral("Enum");
        typeId = QMetaType::Int;
        return textAfterLastScope(raw);
    }
    if (typeName == u"float" || typeName == u"double")
        return numberDefault(raw);
    static const QList<int> integerTypes = {QMetaType::Int,       QMetaType::UInt,  QMetaType::LongLong,
                                            QMetaType::ULongLong, QMetaType::Short, QMetaType::UShort,
                                            QMetaType::Long,      QMetaType::ULong};
    if (integerTypes.contains(typeId))
        return integerDefault(raw);
    if (typeName == u"QString")
        return unquoted(raw);
    if (typeName == u"QColor")
        return colorDefault(raw);
    return raw;
}

QString MetaDescription::defaultFromFunction(const QString& functionName)
{
    if (functionName == u"QDateTime::currentDateTime")
        return QDateTime::currentDateTime().toString(Qt::TextDate);
    if (functionName == u"QDateTime")
        return QDateTime().toString(Qt::TextDate);
    if (functionName == u"QDate")
        return QDate().toString(Qt::TextDate);
    const QByteArray signature = QMetaObject::normalizedSignature((functionName + QStringLiteral("()")).toLatin1());
    const int method = object->metaObject()->indexOfMethod(signature.constData());
    QString result;
    if (method >= 0 && object->metaObject()->method(method).returnMetaType() == QMetaType::fromType<QString>()
        && object->metaObject()->method(method).invoke(object, Qt::DirectConnection, Q_RETURN_ARG(QString, result)))
        return result;
    return defaultText;
}

void MetaDescription::readVisibleBound()
{
    const bool current = clindex(QStringLiteral("VisibleBound")) >= 0;
    const QString text = getClassInfo(current ? QStringLiteral("VisibleBound") : QStringLiteral("VisibleBinded"));
    if (text.isEmpty())
        return;
    for (const QString& part : text.split(u';')) {
        // An empty part (a doubled or trailing ";") names no property and is no condition.
        if (part.isEmpty())
            continue;
        const QStringList pieces = part.split(u':');
        if (pieces.size() >= 2)
            visibleBound.insert(pieces.first(), pieces.mid(1).join(u':'));
        else if (part.startsWith(u'!'))
            visibleBound.insert(part.mid(1), QStringLiteral("false"));
        else
            visibleBound.insert(part, QStringLiteral("true"));
    }
}

void MetaDescription::readNumbersAndTexts()
{
    hasMinimum = assignDouble(minimum, getClassInfo(QStringLiteral("Minimum")));
    prefix = getClassInfo(QStringLiteral("Prefix"));
    suffix = getClassInfo(QStringLiteral("Suffix"));
    hasMaximum = assignDouble(maximum, getClassInfo(QStringLiteral("Maximum")));
    hasStep = assignDouble(step, getClassInfo(QStringLiteral("Step")));
    hasMaxWidth = assignInt(maxWidth, getClassInfo(QStringLiteral("MaxWidth")));
    hasMinWidth = assignInt(minWidth, getClassInfo(QStringLiteral("MinWidth")));
    for (const QString& word : {QStringLiteral("Description"), QStringLiteral("Placeholder"),
                                QStringLiteral("Precision"), QStringLiteral("Suggestions")}) {
        const QString text = getClassInfo(word);
        if (!text.isEmpty())
            extraInfo.insert(word, text);
    }
}

void MetaDescription::readEditorHints()
{
    if (clindex(QStringLiteral("SpecialType")) >= 0) {
        specialType = getClassInfo(QStringLiteral("SpecialType"));
        const qsizetype colon = specialType.indexOf(u':');
        pickOption = colon < 0 ? specialType : specialType.left(colon);
        pickExtensions = colon < 0 ? QString() : specialType.mid(colon + 1);
        hasSpecialType = true;
    }
    category = getClassInfo(QStringLiteral("Category"));
    if (clindex(QStringLiteral("Priority")) >= 0)
        priority = getClassInfo(QStringLiteral("Priority")).trimmed().toInt();
    if (clindex(QStringLiteral("NoDefault")) >= 0)
        showDefault = false;
    if (clindex(QStringLiteral("ReadOnly")) >= 0)
        readOnly = true;
    icon = getClassInfo(QStringLiteral("Icon"));
}

void MetaDescription::connectNotifySignal()
{
    const QMetaProperty property = metaprop();
    if (!property.hasNotifySignal())
        return;
    const int slot = metaObject()->indexOfSlot("valueChangedSlot()");
    QObject::connect(object, property.notifySignal(), this, metaObject()->method(slot));
}

QMetaProperty MetaDescription::metaprop() const
{
    if (!object)
        return QMetaProperty();
    return object->metaObject()->property(propertyIndex);
}

QMetaEnum MetaDescription::enumerator()
{
    return metaprop().enumerator();
}

bool MetaDescription::isEnumType()
{
    return metaprop().isEnumType();
}

QMetaType MetaDescription::valueMetaType() const
{
    return metaprop().metaType();
}

QString MetaDescription::clinfo(const QString& word) const
{
    return name + word;
}

int MetaDescription::clindex(const QString& word) const
{
    if (!object)
        return -1;
    return object->metaObject()->indexOfClassInfo(clinfo(word).toLatin1().constData());
}

QString MetaDescription::getClassInfo(const QString& word) const
{
    const int index = clindex(word);
    if (index < 0)
        return QString();
    return QString::fromUtf8(object->metaObject()->classInfo(index).value());
}

QString MetaDescription::stringForAlias(const QString& word) const
{
    return getClassInfo(word);
}

bool MetaDescription::setValue(const QVariant& value)
{
    const QMetaProperty property = metaprop();
    if (!property.isWritable())
        return false;
    return property.write(object, value);
}

QVariant MetaDescription::getValue()
{
    try {
        return metaprop().read(object);
    } catch (...) {
        qDebug() << "ERROR getValue of" << name;
        return QVariant();
    }
}

void MetaDescription::setDefault()
{
    if (!hasDefault)
        return;
    const QMetaProperty property = metaprop();
    if (property.isResettable())
        property.reset(object);
    // The class's own reset value wins over the text of its declaration.
    const QString resetText = SettingsValueHelper::toText(getValue(), SettingsValueHelper::typeOf(this));
    if (resetText != defaultText)
        defaultText = resetText;
    setTextValue(defaultText);
    emit valueChanged(getValue());
}

void MetaDescription::valueChangedSlot()
{
    emit valueChanged(getValue());
}

bool MetaDescription::setTextValue(QString text)
{
    const auto value = SettingsValueHelper::fromText(text, SettingsValueHelper::typeOf(this));
    return value && setValue(*value);
}

bool MetaDescription::parsePointOrSize(QString text, double& first, double& second)
{
    for (const char* word : {"QPointF", "QPoint", "QSize", "(", ")", "f"})
        text.remove(QLatin1String(word));
    const QStringList parts = text.split(u',', Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return false;
    first = parts[0].trimmed().toDouble();
    second = parts[1].trimmed().toDouble();
    return true;
}

bool MetaDescription::assignDouble(double& target, QString text)
{
    text.remove(u'f');
    for (const char* word : {"QPointF", "QSize", "QPoint", "(", ")"})
        text.remove(QLatin1String(word));
    const QStringList parts = text.trimmed().split(u',', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    bool ok = false;
    const double value = parts.first().trimmed().toDouble(&ok);
    if (ok)
        target = value;
    return ok;
}

bool MetaDescription::assignInt(int& target, const QString& text)
{
    double value = 0;
    if (!assignDouble(value, text))
        return false;
    const double whole = std::trunc(value);
    if (!(whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max()))
        return false;
    target = int(whole);
    return true;
}
