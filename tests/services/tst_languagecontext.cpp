#include "LanguageContext.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The resource macros declare their functions where they stand, so not in a namespace.
void takeOutTheTranslationFiles()
{
    Q_CLEANUP_RESOURCE(translations);
}

namespace {
const char* const Background = "Необходима инициализация фона";

QJsonObject asJson(const QMap<QString, QString>& map)
{
    QJsonObject object;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

// This test program run again in a given system locale: it reports what the language service
// decides there, optionally with the program's translation files taken out of its resources.
int runProbe(const QStringList& arguments)
{
    if (arguments.contains(QStringLiteral("--without-translations")))
        takeOutTheTranslationFiles();
    const QString detected = LanguageContext::AutoDetectLanguage(arguments.value(0));
    const QString installed = LanguageContext::setLanguage(arguments.value(1));
    const QJsonObject report{
        {"available", QJsonValue::fromVariant(LanguageContext::availableLanguages())},
        {"system", LanguageContext::systemLanguage()},
        {"detected", detected},
        {"installed", installed},
        {"cancel", QCoreApplication::translate("Generic", "Cancel")},
        {"background", QCoreApplication::translate("BaseExperiment", Background)},
        {"onDemand", LanguageContext::translate("Generic", "Cancel", "ru-RU")},
        {"all", asJson(LanguageContext::multilingualTranslate("Cancel", "Generic"))},
    };
    QTextStream(stdout) << QJsonDocument(report).toJson(QJsonDocument::Compact);
    return 0;
}

QJsonObject probe(const QString& program, const QString& locale, const QStringList& arguments)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        environment.insert(name, locale);
    child.setProcessEnvironment(environment);
    child.start(program, QStringList{"--probe"} + arguments);
    if (!child.waitForFinished(60000))
        return {};
    return QJsonDocument::fromJson(child.readAllStandardOutput()).object();
}

// Every file but the English one holds the Russian translations.
QMap<QString, QString> translationsOfCancel(const QStringList& languages)
{
    QMap<QString, QString> all{{"", "Cancel"}};
    for (const QString& language : languages)
        all.insert(language, language == "en_US" ? "Cancel" : "Отмена");
    return all;
}
} // namespace

class TestLanguageContext : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;

    // A copy of this program with translation files beside it: a German one (the Russian texts)
    // in its "translations" folder, with a file whose name gives no language; a French one
    // outside that folder, which is not searched.
    QString programWithFilesBeside()
    {
        const QString program = folder.filePath("program/probe");
        QDir().mkpath(folder.filePath("program/translations"));
        QFile::copy(QCoreApplication::applicationFilePath(), program);
        QFile::copy(":/translations/Kestrum_ru_RU.qm", folder.filePath("program/translations/Kestrum_de_DE.qm"));
        QFile::copy(":/translations/Kestrum_ru_RU.qm", folder.filePath("program/translations/notes.qm"));
        QFile::copy(":/translations/Kestrum_ru_RU.qm", folder.filePath("program/Kestrum_fr_FR.qm"));
        return program;
    }

    QString settingsFile(const QByteArray& text)
    {
        const QString path = folder.filePath(QString::number(qHash(text)) + ".xml");
        writeFileBytes(path, text);
        return path;
    }

private slots:
    void compiledFilesAreFoundByLanguage()
    {
        QCOMPARE(LanguageContext::availableLanguages(), (QStringList{"en_US", "ru_RU"}));
        QVERIFY(LanguageContext::hasLanguage("ru_RU"));
        QVERIFY(!LanguageContext::hasLanguage("ru-RU"));
    }

    void translatesOnDemand()
    {
        const QList<QStringList> table = {
            {"Generic", "Cancel", "ru_RU", "Отмена"},
            {"Generic", "Cancel", "ru-RU", "Отмена"},
            {"Generic", "Cancel", "en_US", "Cancel"},
            {"Generic", "Cancel", "de_DE", "Cancel"},
            {"BaseExperiment", Background, "en_US", "Background initialisation required"},
            {"BaseExperiment", Background, "ru_RU", Background},
            {"Generic", "Words no file holds", "ru_RU", "Words no file holds"},
        };
        for (const QStringList& row : table)
            QCOMPARE(LanguageContext::translate(row[0], row[1], row[2]), row[3]);
        QCOMPARE(LanguageContext::multilingualTranslate("Cancel", "Generic"), translationsOfCancel({"en_US", "ru_RU"}));
        const QMap<QString, QString> untranslated{{"", "Words no file holds"}};
        QCOMPARE(LanguageContext::multilingualTranslate("Words no file holds", "Generic"), untranslated);
    }

    void detectsTheLanguageOfTheSettingsFile()
    {
        const QString system = qEnvironmentVariable("LC_ALL").startsWith("ru") ? "ru_RU" : "en_US";
        const QList<QPair<QString, QString>> table = {
            {settingsFile("<KestrumSettings><Language>en_US</Language></KestrumSettings>"), "en_US"},
            {settingsFile("<KestrumSettings><Language>ru_RU</Language></KestrumSettings>"), "ru_RU"},
            {settingsFile("<Language>ru_RU</Language><Language>en_US</Language>"), "en_US"},
            {settingsFile("<KestrumSettings><Language>de_DE</Language></KestrumSettings>"), system},
            {folder.filePath("missing.xml"), system},
        };
        for (const auto& [path, language] : table)
            QCOMPARE(LanguageContext::AutoDetectLanguage(path), language);
    }

    void startsInTheLanguageOfSettingsAndSystem_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("available");
        QTest::addColumn<QString>("detected");
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("background");

        const QString self = QCoreApplication::applicationFilePath();
        const QString english = settingsFile("<Language>en_US</Language>");
        const QString none = folder.filePath("missing.xml");
        const QStringList both{"en_US", "ru_RU"};
        const QString backgroundInEnglish = "Background initialisation required";
        QTest::newRow("Russian system, English settings")
            << self << "ru_RU.UTF-8" << QStringList{english, "en_US"} << both << "en_US"
            << "en_US"
            << "Cancel" << backgroundInEnglish;
        QTest::newRow("Russian system, no settings")
            << self << "ru_RU.UTF-8" << QStringList{none, "ru_RU"} << both << "ru_RU"
            << "ru_RU"
            << "Отмена" << Background;
        QTest::newRow("German system, language without files")
            << self << "de_DE.UTF-8" << QStringList{none, "de_DE"} << both << "en_US"
            << "en_US"
            << "Cancel" << backgroundInEnglish;
        QTest::newRow("Russian system, language without files")
            << self << "ru_RU.UTF-8" << QStringList{none, "de_DE"} << both << "ru_RU"
            << "ru_RU"
            << "Отмена" << Background;
        QTest::newRow("no translation files at all")
            << self << "ru_RU.UTF-8" << QStringList{none, "ru_RU", "--without-translations"} << QStringList() << "ru_RU"
            << ""
            << "Cancel" << Background;
        QTest::newRow("files beside the program")
            << programWithFilesBeside() << "de_DE.UTF-8" << QStringList{none, "de_DE"}
            << QStringList{"de_DE", "en_US", "ru_RU"} << "en_US"
            << "de_DE"
            << "Отмена" << Background;
    }

    void startsInTheLanguageOfSettingsAndSystem()
    {
        QFETCH(QString, program);
        QFETCH(QString, locale);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, available);
        const QJsonObject report = probe(program, locale, arguments);
        QCOMPARE(report.value("system").toString(), locale.left(5));
        QCOMPARE(report.value("available").toVariant().toStringList(), available);
        QTEST(report.value("detected").toString(), "detected");
        QTEST(report.value("installed").toString(), "installed");
        QTEST(report.value("cancel").toString(), "cancel");
        QTEST(report.value("background").toString(), "background");
        QCOMPARE(report.value("onDemand").toString(), available.isEmpty() ? "Cancel" : "Отмена");
        QCOMPARE(report.value("all").toObject(), asJson(translationsOfCancel(available)));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--probe")
        return runProbe(application.arguments().mid(2));
    TestLanguageContext test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_languagecontext.moc"
