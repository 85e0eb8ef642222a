#pragma once

// Checks that a built widget shows only texts that both translation files translate. Install it
// before building the widget: it notes every translation the widget asks for. Then every text
// the widget shows must be made of the answers to requests that both files translate, joined by
// punctuation, digits and the data texts the caller names (a user's file name, a device number).
// Header only, so that any folder's tests can use it; the executable must link the languages
// service, whose resources hold the compiled files.
//
//     TranslationCoverage coverage;
//     SomeWidget widget;
//     QVERIFY2(coverage.problems(&widget).isEmpty(), qPrintable(coverage.problems(&widget).join('\n')));
//
// It also checks settings objects before any editor is built (settingsProblems): every text the
// property editors can show for them, found through the object's meta-object, and the spacing of
// their units.

#include "AbstractMetaDescription.h"
#include "AbstractMetaDescriptor.h"
#include "AbstractSettings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QRegularExpression>
#include <QTabBar>
#include <QTextDocumentFragment>
#include <QTranslator>
#include <QWidget>

#include <algorithm>

class TranslationCoverage : public QTranslator
{
public:
    TranslationCoverage()
    {
        for (const QString& language : {QStringLiteral("en_US"), QStringLiteral("ru_RU")}) {
            auto* file = new QTranslator(this);
            if (file->load(QStringLiteral(":/translations/Kestrum_%1.qm").arg(language)))
                files.append(file);
        }
        QCoreApplication::installTranslator(this);
    }

    ~TranslationCoverage() override { QCoreApplication::removeTranslator(this); }

    bool isEmpty() const override { return false; }

    // Notes the request and leaves the answer to the translators installed before this one.
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override
    {
        if (sourceText && *sourceText) {
            const QMutexLocker lock(&mutex);
            requests.append({QByteArray(context), QByteArray(sourceText), QByteArray(disambiguation), n});
        }
        return QString();
    }

    // What is wrong with the texts the widget and its visible children show; empty when all is well.
    QStringList problems(const QWidget* widget, const QStringList& dataTexts = {}) const
    {
        QStringList problems;
        const QStringList known = knownTexts() + dataTexts;
        for (const QString& text : shownTexts(widget))
            if (containsWords(withoutKnownTexts(text, known)))
                problems << QStringLiteral("shown without a translation in both files: \"%1\"").arg(text);
        return problems;
    }

    // What the property editors would show untranslated for the settings object: the name,
    // category, units, description and placeholder of every property they show, in the context
    // "Generic", and every value of an enumeration, in the enumeration's context. A text counts
    // as translated when both files answer it with something other than a bare identifier.
    QStringList settingsProblems(AbstractSettings* settings) const
    {
        QStringList problems;
        AbstractMetaDescriptor* descriptor = settings->metaDescriptor();
        const QString owner = QString::fromLatin1(settings->metaObject()->className());
        for (AbstractMetaDescription* description : descriptor->getProperties()) {
            if (!description->editable || !description->visible)
                continue;
            const QString where = owner + QLatin1Char('.') + description->name;
            for (const QString& text : shownSettingsTexts(description))
                problems << settingsTextProblems("Generic", text, where);
            if (!isSpacedAsTypographyWants(description->suffix))
                problems << QStringLiteral("%1: the unit \"%2\" is spaced unlike the others")
                                .arg(where, description->suffix);
            if (description->isEnumType()) {
                const QMetaEnum enumeration = description->enumerator();
                for (int i = 0; i < enumeration.keyCount(); ++i)
                    problems << settingsTextProblems(enumeration.name(), QString::fromLatin1(enumeration.key(i)),
                                                     where);
            }
        }
        return problems;
    }

private:
    static QStringList shownSettingsTexts(const AbstractMetaDescription* description)
    {
        QStringList texts{description->displayName, description->category,
                          description->extraInfo.value(QStringLiteral("Description")),
                          description->extraInfo.value(QStringLiteral("Placeholder"))};
        // Units are shown after a blank the editors keep; "!-" marks a unit shown as written.
        for (const QString& unit : {description->suffix, description->prefix})
            if (!unit.startsWith(QStringLiteral("!-")))
                texts << unit.trimmed();
        texts << description->enums;
        texts.removeIf([](const QString& text) { return !containsWords(text); });
        return texts;
    }

    // One blank between a number and its unit ("300 ms", "300 мс"), none before a percent sign;
    // "!-" marks a unit shown as written.
    static bool isSpacedAsTypographyWants(const QString& suffix)
    {
        const QString unit = suffix.trimmed();
        if (unit.isEmpty() || suffix.startsWith(QStringLiteral("!-")))
            return true;
        return suffix == (unit == QStringLiteral("%") ? unit : QLatin1Char(' ') + unit);
    }

    QStringList settingsTextProblems(const char* context, const QString& text, const QString& where) const
    {
        // "MaxCycles", "LeftSide", "Platform_Round": a name from the code, not a word.
        static const QRegularExpression identifier(QStringLiteral("^([A-Z]\\w*[a-z][A-Z]\\w*|\\w+_\\w+)$"));
        QStringList problems;
        const QByteArray source = text.toUtf8();
        for (const QTranslator* file : files) {
            const QString translation = file->translate(context, source.constData());
            if (translation.isEmpty() || identifier.match(translation).hasMatch())
                problems << QStringLiteral("%1: %2 / \"%3\" reads \"%4\" in %5")
                                .arg(where, QString::fromLatin1(context), text, translation, file->language());
        }
        if (files.size() != 2)
            problems << QStringLiteral("the translation files are not both built in");
        return problems;
    }

    struct Request
    {
        QByteArray context;
        QByteArray source;
        QByteArray disambiguation;
        int n;
    };

    bool translatedByAllFiles(const Request& request) const
    {
        return files.size() == 2 && std::all_of(files.cbegin(), files.cend(), [&](const QTranslator* file) {
                   return !file->translate(request.context, request.source, request.disambiguation, request.n)
                               .isEmpty();
               });
    }

    // The answers to the requests that both files translate. A request that either file lacks
    // counts only when its text is shown; Qt's own widgets ask for texts they seldom show.
    QStringList knownTexts() const
    {
        QList<Request> asked;
        {
            const QMutexLocker lock(&mutex);
            asked = requests;
        }
        QStringList known;
        for (const Request& request : asked)
            if (translatedByAllFiles(request))
                known << QCoreApplication::translate(request.context, request.source, request.disambiguation,
                                                     request.n);
        return known;
    }

    static QStringList shownTexts(const QWidget* widget)
    {
        QStringList texts{widget->windowTitle()};
        QList<const QWidget*> shown{widget};
        for (const QWidget* child : widget->findChildren<QWidget*>())
            if (child->isVisibleTo(widget))
                shown << child;
        for (const QWidget* item : shown)
            texts << item->toolTip() << ownTexts(item);
        texts.removeAll(QString());
        return texts;
    }

    static QStringList ownTexts(const QWidget* widget)
    {
        QStringList texts;
        if (auto* label = qobject_cast<const QLabel*>(widget))
            texts << (Qt::mightBeRichText(label->text()) ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                                         : label->text());
        if (auto* button = qobject_cast<const QAbstractButton*>(widget))
            texts << button->text();
        if (auto* group = qobject_cast<const QGroupBox*>(widget))
            texts << group->title();
        if (auto* edit = qobject_cast<const QLineEdit*>(widget))
            texts << edit->placeholderText();
        if (auto* combo = qobject_cast<const QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (auto* tabs = qobject_cast<const QTabBar*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        return texts;
    }

    // Removes every known text standing on its own (not as a piece of a longer word), longest first.
    static QString withoutKnownTexts(QString text, QStringList known)
    {
        std::sort(known.begin(), known.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
        for (const QString& part : known) {
            if (part.isEmpty())
                continue;
            const QString before = isWordCharacter(part.front()) ? QStringLiteral("(?<!\\w)") : QString();
            const QString after = isWordCharacter(part.back()) ? QStringLiteral("(?!\\w)") : QString();
            text.remove(QRegularExpression(before + QRegularExpression::escape(part) + after,
                                           QRegularExpression::UseUnicodePropertiesOption));
        }
        return text;
    }

    static bool isWordCharacter(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    static bool containsWords(const QString& text)
    {
        return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetter(); });
    }

    QList<QTranslator*> files;
    mutable QMutex mutex;
    mutable QList<Request> requests;
};
