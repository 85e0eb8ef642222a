#pragma once

#include "ZTSettings.h"

#include <QList>
#include <QString>

// A settings object carrying the user-interface language as its property Language, chosen from
// the languages given at construction. The first load fills in the system's language when it is
// allowed, else the first allowed one, and applies it; every later change is applied at once and
// the user is told that it takes full effect on the next start.
class SettingsWithLanguage : public ZTSettings
{
    Q_OBJECT
    Q_CLASSINFO("LanguageSpecialType", "StringList")
    ZT_PROPERTY(QString, Language, "")

public:
    SettingsWithLanguage(const QString& filepath, bool autoSave, const QList<QString>& languages,
                         QObject* parent = nullptr, ZTSettingsFormat format = XML);

private:
    void applyFirstLoad(const QList<QString>& languages);
    void applyChange(const QString& language);
};
