#include "PropertyCapabilities.h"

#include "AbstractMetaDescription.h"
#include "SettingsValueHelper.h"

#include <QCoreApplication>
#include <QJsonArray>

namespace {
QString translated(const QString& text, const char* context = "Generic")
{
    return QCoreApplication::translate(context, text.toUtf8().constData());
}

void insertTranslation(QJsonObject& object, const QString& key, const QString& text)
{
    const QString translation = translated(text);
    if (translation != text)
        object.insert(key, translation);
}

QString withoutNoSpaceMark(QString text)
{
    if (text.startsWith(QStringLiteral("!-")))
        text.remove(0, 2);
    return text;
}

void insertUnitText(QJsonObject& object, const QString& key, const QString& declared)
{
    if (declared.isEmpty())
        return;
    const QString text = withoutNoSpaceMark(declared);
    object.insert(key, text);
    insertTranslation(object, key + QStringLiteral("Translated"), text);
}

void insertChoices(QJsonObject& object, AbstractMetaDescription* description)
{
    if (!description->enums.isEmpty()) {
        QJsonArray translations;
        for (const QString& choice : description->enums)
            translations.append(translated(choice));
        object.insert(QStringLiteral("enums"), QJsonArray::fromStringList(description->enums));
        object.insert(QStringLiteral("enumsTranslations"), translations);
    }
    const QMetaEnum enumeration = description->enumerator();
    if (!description->isEnumType() || !enumeration.isValid())
        return;
    QJsonArray keys;
    QJsonArray translations;
    for (int i = 0; i < enumeration.keyCount(); ++i) {
        const QString key = QString::fromLatin1(enumeration.key(i));
        keys.append(key);
        translations.append(translated(key, enumeration.name()));
    }
    object.insert(QStringLiteral("enum"), keys);
    object.insert(QStringLiteral("enumTranslations"), translations);
}

void insertFlags(QJsonObject& object, AbstractMetaDescription* description)
{
    if (!description->showDefault)
        object.insert(QStringLiteral("hideDefault"), true);
    if (description->readOnly)
        object.insert(QStringLiteral("readOnly"), true);
    if (!description->visible)
        object.insert(QStringLiteral("hidden"), true);
    if (description->visibleBound.isEmpty())
        return;
    QStringList conditions;
    for (auto it = description->visibleBound.begin(); it != description->visibleBound.end(); ++it)
        conditions.append(it.key() + u':' + it.value());
    object.insert(QStringLiteral("visibleBound"), conditions.join(u';'));
}

void insertNumbers(QJsonObject& object, AbstractMetaDescription* description)
{
    if (description->hasMinimum)
        object.insert(QStringLiteral("min"), description->minimum);
    if (description->hasMaximum)
        object.insert(QStringLiteral("max"), description->maximum);
    if (description->hasStep)
        object.insert(QStringLiteral("step"), description->step);
}

void insertTexts(QJsonObject& object, AbstractMetaDescription* description)
{
    if (description->hasSpecialType)
        object.insert(QStringLiteral("specialType"), description->specialType);
    if (!description->category.isEmpty()) {
        object.insert(QStringLiteral("category"), description->category);
        insertTranslation(object, QStringLiteral("categoryTranslated"), description->category);
    }
    for (auto it = description->extraInfo.begin(); it != description->extraInfo.end(); ++it)
        object.insert(it.key(), it.value());
    if (!description->pickOption.isEmpty())
        object.insert(QStringLiteral("pickOption"), description->pickOption);
    if (!description->pickExtensions.isEmpty())
        object.insert(QStringLiteral("pickExtensions"), description->pickExtensions);
    insertUnitText(object, QStringLiteral("suffix"), description->suffix);
    insertUnitText(object, QStringLiteral("prefix"), description->prefix);
    if (description->extraInfo.contains(QStringLiteral("Description")))
        object.insert(QStringLiteral("description"),
                      translated(description->extraInfo.value(QStringLiteral("Description"))));
}

QString part(const QString& key, const QString& value)
{
    return QStringLiteral("\"%1\"=\"%2\"").arg(key, value);
}

QString boundText(bool declared, double value)
{
    return declared ? QString::number(value, 'g', 6) : QString();
}
} // namespace

QJsonObject PropertyCapabilities::json(AbstractMetaDescription* description)
{
    QJsonObject object;
    object.insert(QStringLiteral("name"), description->name);
    object.insert(QStringLiteral("type"), description->typeName);
    insertTranslation(object, QStringLiteral("nameTranslated"), description->name);
    object.insert(QStringLiteral("value"),
                  SettingsValueHelper::toJson(description->getValue(), SettingsValueHelper::typeOf(description)));
    if (description->hasDefault)
        object.insert(QStringLiteral("default"), description->defaultText);
    insertNumbers(object, description);
    insertTexts(object, description);
    insertChoices(object, description);
    insertFlags(object, description);
    return object;
}

QString PropertyCapabilities::bracketedText(AbstractMetaDescription* description)
{
    QStringList parts{
        part(QStringLiteral("name"), description->name),
        part(QStringLiteral("type"), description->typeName),
        part(QStringLiteral("default"), description->defaultText),
        part(QStringLiteral("value"),
             SettingsValueHelper::toText(description->getValue(), SettingsValueHelper::typeOf(description))),
    };
    const QString& type = description->typeName;
    if (type == u"int" || type == u"float" || type == u"double") {
        parts.append(part(QStringLiteral("minimum"), boundText(description->hasMinimum, description->minimum)));
        parts.append(part(QStringLiteral("maximum"), boundText(description->hasMaximum, description->maximum)));
        parts.append(part(QStringLiteral("step"), boundText(description->hasStep, description->step)));
    }
    return u'[' + parts.join(QStringLiteral(", ")) + u']';
}
