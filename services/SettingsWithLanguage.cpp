#include "SettingsWithLanguage.h"

#include "AbstractMetaDescription.h"
#include "AbstractMetaDescriptor.h"
#include "AppHelper.h"
#include "LanguageContext.h"

SettingsWithLanguage::SettingsWithLanguage(const QString& filepath, bool autoSave, const QList<QString>& languages,
                                           QObject* parent, ZTSettingsFormat format)
    : ZTSettings(filepath, autoSave, parent, format)
{
    connect(
        this, &ZTSettings::reloaded, this, [this, languages] { applyFirstLoad(languages); }, Qt::SingleShotConnection);
}

void SettingsWithLanguage::applyFirstLoad(const QList<QString>& languages)
{
    AbstractMetaDescription* description = metaDescriptor()->propertyByName(QStringLiteral("Language"));
    description->enums = languages;
    const QString system = LanguageContext::systemLanguage();
    description->defaultText = languages.contains(system) ? system : languages.value(0);
    if (getLanguage().isEmpty())
        description->setValue(description->defaultText);
    LanguageContext::setLanguage(getLanguage());
    connect(this, &SettingsWithLanguage::changedLanguage, this, &SettingsWithLanguage::applyChange);
}

void SettingsWithLanguage::applyChange(const QString& language)
{
    if (!LanguageContext::hasLanguage(language))
        return;
    LanguageContext::setLanguage(language);
    AppHelper::warningMessage(tr("Language will be changed on program restart"), QString(), QMessageBox::Warning);
}
