#include "AppHelper.h"
#include "LanguageContext.h"
#include "SampleSettings.h"
#include "TranslationCoverage.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>
#include <memory>

namespace {
struct Message
{
    QByteArray context;
    QByteArray source;
    QByteArray disambiguation;
    bool numerus = false;
    QString translation;
};

QList<Message> readMessages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Message> messages;
    QByteArray context;
    QXmlStreamReader xml(&file);
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QStringLiteral("name"))
            context = xml.readElementText().toUtf8();
        else if (xml.name() == QStringLiteral("message"))
            messages.append({context, {}, {}, xml.attributes().value("numerus") == QStringLiteral("yes")});
        else if (xml.name() == QStringLiteral("source"))
            messages.last().source = xml.readElementText().toUtf8();
        else if (xml.name() == QStringLiteral("comment"))
            messages.last().disambiguation = xml.readElementText().toUtf8();
        else if (xml.name() == QStringLiteral("translation"))
            messages.last().translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    return messages;
}

// A widget the program shows, built the way the program builds it, with the texts in it that
// are data rather than wording.
struct ShownWidget
{
    std::shared_ptr<QWidget> widget;
    QStringList dataTexts;
};

ShownWidget messageBoxOf(const std::function<void()>& ask)
{
    DialogSeam::Request request;
    DialogSeam::setHandler([&](const DialogSeam::Request& asked) {
        request = asked;
        return DialogSeam::Answer();
    });
    ask();
    DialogSeam::setHandler({});
    return {std::shared_ptr<QWidget>(DialogSeam::buildMessageBox(request)), {request.title, request.text}};
}

// Every widget whose texts must read fully in each language. Widgets of later parts of the
// program are checked the same way, in their own folder's tests, with TranslationCoverage.
QList<ShownWidget> shownWidgets()
{
    QList<ShownWidget> widgets;
    widgets << messageBoxOf([] { AppHelper::confirmDialog("Title", "Question"); });
    widgets << messageBoxOf([] { AppHelper::confirmDialogWithCancel("Title", "Question"); });
    widgets << messageBoxOf([] { AppHelper::warningMessage("Warning"); });
    return widgets;
}
} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void everyTextOfTheSourcesIsTranslatedBothWays()
    {
        QTemporaryDir folder;
        const QString extracted = folder.filePath("sources.ts");
        QProcess lupdate;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LUPDATE", KESTRUM_LUPDATE);
        lupdate.setProcessEnvironment(environment);
        lupdate.start(KESTRUM_SOURCE_DIR "/scripts/update-translations.sh", {"--extract", extracted});
        QVERIFY(lupdate.waitForFinished(120000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());

        const QList<Message> messages = readMessages(extracted);
        QVERIFY(std::any_of(messages.cbegin(), messages.cend(), [](const Message& message) {
            return message.context == "Generic" && message.source == "Cancel";
        }));
        QStringList missing;
        for (const QString& language : {"en_US", "ru_RU"}) {
            QTranslator file;
            QVERIFY(file.load(":/translations/Kestrum_" + language + ".qm"));
            for (const Message& message : messages)
                if (file.translate(message.context, message.source, message.disambiguation, message.numerus ? 1 : -1)
                        .isEmpty())
                    missing << QStringLiteral("%1: %2 / \"%3\"")
                                   .arg(language, QString::fromUtf8(message.context),
                                        QString::fromUtf8(message.source));
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable("Run scripts/update-translations.sh and translate:\n" + missing.join('\n')));
    }

    // A Russian unit stands one blank after its number ("300 мс"); the units of the settings
    // editors are checked with the settings texts.
    void russianUnitsStandApartFromTheirNumbers()
    {
        static const QRegularExpression unspaced(QStringLiteral("(\\d|%n)(мс|с|мин|ч|мА|Гц|кГц|пикс|кадр)(?!\\w)"),
                                                 QRegularExpression::UseUnicodePropertiesOption);
        QStringList problems;
        const QList<Message> messages = readMessages(KESTRUM_SOURCE_DIR "/resources/translations/Kestrum_ru_RU.ts");
        QVERIFY(!messages.isEmpty());
        for (const Message& message : messages)
            if (message.translation.contains(unspaced))
                problems << message.translation;
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QVERIFY(QStringLiteral("через 300мс").contains(unspaced) && QStringLiteral("%1с").contains(unspaced));
        QVERIFY(!QStringLiteral("через 300 мс, 5 секунд").contains(unspaced));
    }

    // One action, one word: wherever a text of a language speaks of the background, it is
    // initialised, not calibrated (nor, in English, "initialized").
    void theBackgroundIsNamedInOneWordingPerLanguage()
    {
        const auto option = QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;
        const QRegularExpression background(QStringLiteral("\\b(background|фон)"), option);
        const QMap<QString, QRegularExpression> otherWording{
            {"en_US", QRegularExpression(QStringLiteral("calibrat|initializ"), option)},
            {"ru_RU", QRegularExpression(QStringLiteral("калибр"), option)}};
        const auto problemsOf = [&](const QString& language, const QStringList& texts) {
            QStringList problems;
            for (const QString& text : texts)
                if (text.contains(background) && text.contains(otherWording.value(language)))
                    problems << language + ": " + text;
            return problems;
        };
        QStringList problems;
        for (auto it = otherWording.cbegin(); it != otherWording.cend(); ++it) {
            QStringList texts;
            for (const Message& message :
                 readMessages(KESTRUM_SOURCE_DIR "/resources/translations/Kestrum_" + it.key() + ".ts"))
                texts << message.translation;
            QVERIFY(texts.size() > 100);
            problems << problemsOf(it.key(), texts);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QCOMPARE(problemsOf("en_US", {"Calibrate background", "Background calibration", "Initialise the background",
                                      "Brighter than the background"})
                     .size(),
                 2);
        QCOMPARE(problemsOf("ru_RU", {"Калибровка фона", "Инициализируйте фон", "Калибровать"}).size(), 1);
    }

    void shownTextsReadFullyInEachLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("copy");
        QTest::newRow("English") << "en_US"
                                 << "Cancel"
                                 << "&Copy";
        QTest::newRow("Russian") << "ru_RU"
                                 << "Отмена"
                                 << "&Копировать";
        // Qt's Russian texts go with the Russian language.
        QTest::newRow("English after Russian") << "en_US"
                                               << "Cancel"
                                               << "&Copy";
    }

    // Also the texts Qt's own widgets bring: standard buttons, the edit fields' menus.
    void shownTextsReadFullyInEachLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, cancel);
        QFETCH(QString, copy);
        QCOMPARE(LanguageContext::setLanguage(language), language);
        QCOMPARE(QCoreApplication::translate("Generic", "Cancel"), cancel);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), cancel);
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList entries;
        for (const QAction* action : menu->actions())
            entries << action->text().section('\t', 0, 0);
        QVERIFY2(entries.contains(copy), qPrintable(entries.join('|')));

        TranslationCoverage coverage;
        for (const ShownWidget& shown : shownWidgets()) {
            const QStringList problems = coverage.problems(shown.widget.get(), shown.dataTexts);
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        }
        QLabel unmarked("Words nobody marked for translation");
        QCOMPARE(coverage.problems(&unmarked).size(), 1);
        QLabel unknown(QCoreApplication::translate("Generic", "Words no file holds"));
        QCOMPARE(coverage.problems(&unknown).size(), 1);
    }

    // The program's settings objects are checked this way where they are all built, in the
    // application tests; here the check itself, on settings no file translates.
    void settingsCheckNamesWhatAnEditorWouldShowUntranslated()
    {
        const TranslationCoverage coverage;
        SampleSettings sample;
        const QString problems = coverage.settingsProblems(&sample).join('\n');
        QVERIFY(problems.contains("SampleSettings.Ratio: Generic / \"Ratio\" reads \"\" in ru_RU"));
        QVERIFY(problems.contains("SampleSettings.Pace: Speed / \"Adaptive\" reads \"\" in en_US"));
        QVERIFY2(!problems.contains("\"Threshold\""), qPrintable(problems));
        QVERIFY(!problems.contains("Scratch"));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
