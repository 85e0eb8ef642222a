#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class QTranslator;

// The user-interface language. Finds the compiled translation files (".qm") among the built-in
// resources and in the "translations" folder beside the program, groups them by the language
// code their names end with ("…_ru_RU.qm"), installs the chosen language into the application and
// translates into any available language on demand. With the language it installs Qt's own
// translations of it from the system, so that standard buttons, file dialogs and the edit fields'
// menus read in it too. A process-wide object made on first use; user-interface thread only.
class LanguageContext : public QObject
{
    Q_OBJECT

public:
    // Whether the "translations" folder beside the program is searched too.
    static bool UseFilesInRootDir;

    static LanguageContext* Instance();

    static QList<QString> availableLanguages();
    static QString currentLanguage();
    static bool hasLanguage(const QString& code);
    static QString systemLanguage();
    // Installs the language, else the system's, else English, else the first available one;
    // returns the language now current (unchanged when there is none).
    static QString setLanguage(const QString& code);
    // The language to start with: the one the settings file names, else the system's.
    static QString AutoDetectLanguage(const QString& settingsFilePath);
    // The language the settings file names; empty when it names none or is missing.
    static QString languageNamedIn(const QString& settingsFilePath);
    // The text in the language ("ru-RU" means "ru_RU"); the text itself when nothing translates it.
    static QString translate(const QString& context, const QString& text, const QString& language);
    // Every language's translation of the text, and the text itself under the empty code.
    static QMap<QString, QString> multilingualTranslate(const QString& text, const QString& context);

private:
    LanguageContext();

    void addFilesOf(const QString& folder);
    void loadAllTranslators();
    bool loadExistingLanguage(const QString& code);
    void installQtTranslations(const QString& code);
    QString translated(const QString& context, const QString& text, const QString& language);

    static LanguageContext* _instance;

    QMap<QString, QList<QString>> filesByLanguage;
    QString current;
    QMap<QString, QList<QTranslator*>> translatorsByLanguage;
    // Qt's own, for the language installed last; null when the system has none for it.
    QTranslator* qtTranslator = nullptr;
};

// A text of the "Generic" context, the one the pages, dialogs and paradigms share, in the
// language in force.
QString generic(const char* text);
