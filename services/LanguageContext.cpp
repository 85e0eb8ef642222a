#include "LanguageContext.h"

#include "FileUtilities.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

#include <utility>

namespace {
const QString English = QStringLiteral("en_US");
const QString Russian = QStringLiteral("ru_RU");

// "…_ru_RU.qm" gives "ru_RU"; a file named otherwise gives no code, so that a stray translation
// file cannot make up a language.
QString languageOfFile(const QString& path)
{
    static const QRegularExpression code(QStringLiteral("_([a-z]{2}_[A-Z]{2})\\.qm$"));
    return code.match(path).captured(1);
}

QTranslator* loadedTranslator(const QString& path)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(path))
        return translator;
    delete translator;
    return nullptr;
}
} // namespace

bool LanguageContext::UseFilesInRootDir = true;
LanguageContext* LanguageContext::_instance = nullptr;

LanguageContext::LanguageContext()
{
    addFilesOf(QStringLiteral(":"));
    if (UseFilesInRootDir)
        addFilesOf(QCoreApplication::applicationDirPath() + QStringLiteral("/translations"));
}

LanguageContext* LanguageContext::Instance()
{
    if (!_instance)
        _instance = new LanguageContext();
    return _instance;
}

QList<QString> LanguageContext::availableLanguages()
{
    return Instance()->filesByLanguage.keys();
}

QString LanguageContext::currentLanguage()
{
    return Instance()->current;
}

bool LanguageContext::hasLanguage(const QString& code)
{
    return Instance()->filesByLanguage.contains(code);
}

QString LanguageContext::systemLanguage()
{
    return QLocale::system().name();
}

QString LanguageContext::setLanguage(const QString& code)
{
    QString chosen = code;
    if (!hasLanguage(chosen))
        chosen = systemLanguage();
    if (!hasLanguage(chosen))
        chosen = English;
    if (!hasLanguage(chosen))
        chosen = availableLanguages().value(0);
    // The translators last installed are the current language's: installing them again would
    // only add copies that every lookup then passes through.
    if (chosen != currentLanguage())
        Instance()->loadExistingLanguage(chosen);
    return currentLanguage();
}

QString LanguageContext::AutoDetectLanguage(const QString& settingsFilePath)
{
    const QString named = languageNamedIn(settingsFilePath);
    if (!named.isEmpty())
        return named;
    return systemLanguage().startsWith(QStringLiteral("ru")) ? Russian : English;
}

QString LanguageContext::languageNamedIn(const QString& settingsFilePath)
{
    QFile file(settingsFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString text = QString::fromUtf8(file.readAll());
    if (text.contains(QStringLiteral("<Language>en_US</Language>")))
        return English;
    if (text.contains(QStringLiteral("<Language>ru_RU</Language>")))
        return Russian;
    return QString();
}

QString LanguageContext::translate(const QString& context, const QString& text, const QString& language)
{
    return Instance()->translated(context, text, language);
}

QMap<QString, QString> LanguageContext::multilingualTranslate(const QString& text, const QString& context)
{
    LanguageContext* self = Instance();
    self->loadAllTranslators();
    const QByteArray contextBytes = context.toUtf8();
    const QByteArray textBytes = text.toUtf8();
    QMap<QString, QString> translations;
    for (auto it = self->translatorsByLanguage.cbegin(); it != self->translatorsByLanguage.cend(); ++it)
        for (const QTranslator* translator : it.value()) {
            const QString translation = translator->translate(contextBytes.constData(), textBytes.constData());
            if (!translation.isEmpty())
                translations.insert(it.key(), translation);
        }
    translations.insert(QString(), text);
    return translations;
}

void LanguageContext::addFilesOf(const QString& folder)
{
    for (const QString& path : FileUtilities::getFilesOfType(folder, QStringLiteral("qm"), true, true)) {
        const QString code = languageOfFile(path);
        if (!code.isEmpty())
            filesByLanguage[code].append(path);
    }
}

void LanguageContext::loadAllTranslators()
{
    if (!translatorsByLanguage.isEmpty())
        return;
    for (auto it = filesByLanguage.cbegin(); it != filesByLanguage.cend(); ++it) {
        QList<QTranslator*>& translators = translatorsByLanguage[it.key()];
        for (const QString& path : it.value())
            if (QTranslator* translator = loadedTranslator(path))
                translators.append(translator);
    }
}

bool LanguageContext::loadExistingLanguage(const QString& code)
{
    if (!filesByLanguage.contains(code))
        return false;
    installQtTranslations(code);
    for (const QString& path : filesByLanguage.value(code))
        if (QTranslator* translator = loadedTranslator(path))
            QCoreApplication::installTranslator(translator);
    current = code;
    return true;
}

// Qt's catalogue "qt_<language>" brings in its parts (the base classes, multimedia). The one of
// the language before is taken out, or its texts would outlive a change to a language Qt's
// sources are written in. Installed before the program's own, which so take precedence.
void LanguageContext::installQtTranslations(const QString& code)
{
    if (qtTranslator) {
        QCoreApplication::removeTranslator(qtTranslator);
        delete std::exchange(qtTranslator, nullptr);
    }
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(code), QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && !translator->isEmpty()) {
        QCoreApplication::installTranslator(translator);
        qtTranslator = translator;
    } else {
        delete translator;
    }
}

QString LanguageContext::translated(const QString& context, const QString& text, const QString& language)
{
    loadAllTranslators();
    if (!translatorsByLanguage.contains(language)) {
        if (language.contains(QLatin1Char('-')))
            return translated(context, text, QString(language).replace(QLatin1Char('-'), QLatin1Char('_')));
        return text;
    }
    const QByteArray contextBytes = context.toUtf8();
    const QByteArray textBytes = text.toUtf8();
    for (const QTranslator* translator : translatorsByLanguage.value(language)) {
        const QString translation = translator->translate(contextBytes.constData(), textBytes.constData());
        if (!translation.isEmpty())
            return translation;
    }
    return text;
}

QString generic(const char* text)
{
    return QCoreApplication::translate("Generic", text);
}
