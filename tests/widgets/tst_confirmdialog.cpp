#include "ConfirmDialog.h"
#include "DialogSeam.h"
#include "TextInputValidationDialog.h"
#include "TranslationCoverage.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {
// Runs the action once the dialog's modal loop has started.
void whileModal(const std::function<void(QWidget*)>& action)
{
    QTimer::singleShot(0, qApp, [action] { action(QApplication::activeModalWidget()); });
}

QStringList buttonTexts(const QList<DialogSeam::Button>& buttons)
{
    QStringList texts;
    for (const DialogSeam::Button& button : buttons)
        texts << button.text;
    return texts;
}
} // namespace

class TestConfirmDialog : public QObject
{
    Q_OBJECT

private slots:
    void askIsAnsweredThroughTheSeam_data()
    {
        QTest::addColumn<QVariantMap>("options");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("defaults, yes") << QVariantMap() << 0 << "" << QStringList{"Yes", "Cancel"} << true;
        const QVariantMap own{{"yes", "Delete"},        {"cancel", "Keep"}, {"caption", "Runs"},
                              {"yesClass", "negative"}, {"minWidth", 300},  {"other", 1}};
        QTest::newRow("own texts, cancel") << own << 1 << "Runs" << QStringList{"Delete", "Keep"} << false;
        QTest::newRow("closed otherwise") << own << -1 << "Runs" << QStringList{"Delete", "Keep"} << false;
    }

    // No window is active here: the question is asked all the same.
    void askIsAnsweredThroughTheSeam()
    {
        QFETCH(QVariantMap, options);
        QFETCH(int, answer);
        QFETCH(QString, title);
        QFETCH(QStringList, buttons);
        QFETCH(bool, confirmed);
        QVERIFY(!QApplication::activeWindow());
        QList<DialogSeam::Request> asked;
        DialogSeam::setHandler([&](const DialogSeam::Request& request) {
            asked << request;
            DialogSeam::Answer reply;
            reply.button = answer;
            return reply;
        });
        QCOMPARE(ConfirmDialog::Ask(QStringLiteral("Delete 3 runs?"), options), confirmed);
        DialogSeam::setHandler({});
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("Delete 3 runs?"));
        QCOMPARE(asked[0].title, title);
        QCOMPARE(buttonTexts(asked[0].buttons), buttons);
        QCOMPARE(asked[0].buttons[0].role, QMessageBox::AcceptRole);
        QVERIFY(asked[0].stayOnTop);
    }

    // With nothing answering for it, the question is a real confirmation dialog with its options.
    void askWithoutHandlerShowsARealDialog()
    {
        TranslationCoverage coverage;
        QStringList problems;
        whileModal([&problems, &coverage](QWidget* shown) {
            auto* dialog = qobject_cast<ConfirmDialog*>(shown);
            QVERIFY(dialog);
            problems = coverage.problems(dialog, {"Question", "Runs", "Delete"});
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Runs"));
            QCOMPARE(dialog->okButton()->objectName(), QStringLiteral("negative"));
            QCOMPARE(dialog->okButton()->text(), QStringLiteral("Delete"));
            QVERIFY(dialog->okButton()->isEnabled());
            QCOMPARE(dialog->minimumWidth(), 360);
            QCOMPARE(dialog->maximumWidth(), 360);
            dialog->okButton()->click();
        });
        const QVariantMap options{
            {"caption", "Runs"}, {"yes", "Delete"}, {"yesClass", "negative"}, {"minWidth", 200}, {"maxWidth", 360}};
        QVERIFY(ConfirmDialog::Ask(QStringLiteral("Question"), options));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        whileModal([](QWidget* shown) {
            auto* dialog = qobject_cast<ConfirmDialog*>(shown);
            QVERIFY(dialog);
            QCOMPARE(dialog->okButton()->objectName(), QStringLiteral("positive"));
            dialog->cancelButton()->click();
        });
        QVERIFY(!ConfirmDialog::Ask(QStringLiteral("Question")));
    }

    void buttonsEndTheDialog_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("heardSignals");
        QTest::newRow("ok") << "ok" << 1 << QStringList{"accepted", "closed"};
        QTest::newRow("cancel") << "cancel" << 0 << QStringList{"canceled", "closed"};
        QTest::newRow("third") << "third" << 0 << QStringList{"declined", "closed"};
        QTest::newRow("window frame") << "frame" << 0 << QStringList{"closed"};
    }

    void buttonsEndTheDialog()
    {
        QFETCH(QString, button);
        QFETCH(int, result);
        QFETCH(QStringList, heardSignals);
        TranslationCoverage coverage;
        ConfirmDialog dialog(nullptr, QString(), QString(), QStringLiteral("Later"));
        QVERIFY2(coverage.problems(&dialog, {"Later"}).isEmpty(),
                 qPrintable(coverage.problems(&dialog, {"Later"}).join('\n')));
        QCOMPARE(dialog.okButton()->objectName(), QStringLiteral("positive"));
        QVERIFY(!dialog.okButton()->isEnabled());
        const int width = dialog.okButton()->minimumWidth();
        QVERIFY(width >= dialog.okButton()->sizeHint().width() && width >= dialog.thirdButton()->sizeHint().width());
        QCOMPARE(dialog.thirdButton()->minimumWidth(), width);
        QCOMPARE(dialog.cancelButton()->minimumWidth(), width);
        QCOMPARE(dialog.cancelButton()->cursor().shape(), Qt::PointingHandCursor);
        dialog.okButton()->setEnabled(true);

        QStringList heard;
        int vetoes = 1;
        connect(&dialog, &ConfirmDialog::accepted, this, [&](bool& accept) {
            accept = vetoes-- <= 0;
            heard << (accept ? "accepted" : "vetoed");
        });
        connect(&dialog, &ConfirmDialog::canceled, this, [&heard] { heard << "canceled"; });
        connect(&dialog, &ConfirmDialog::declined, this, [&heard] { heard << "declined"; });
        connect(&dialog, &ConfirmDialog::closed, this, [&heard] { heard << "closed"; });
        whileModal([&](QWidget* shown) {
            QCOMPARE(shown, &dialog);
            if (button == "frame")
                dialog.close();
            else if (button == "third")
                dialog.thirdButton()->click();
            else if (button == "cancel")
                dialog.cancelButton()->click();
            else
                // The first OK is vetoed and leaves the dialog open.
                for (int click = 0; click < 2 && dialog.isVisible(); ++click)
                    dialog.okButton()->click();
        });
        QCOMPARE(dialog.exec(), result);
        heard.removeAll("vetoed");
        QCOMPARE(heard, heardSignals);
        QCOMPARE(vetoes, button == "ok" ? -1 : 1);
    }

    void validationKeepsOkDisabledWhileTheValueIsRefused()
    {
        TextInputValidationDialog dialog(nullptr, QStringLiteral("Run 1"), QStringLiteral("Name"));
        connect(&dialog, &InputValidationDialog::validate, this, [](const QVariant& value, QString& error) {
            if (value.toString().trimmed().isEmpty())
                error = QStringLiteral("A name is needed");
        });
        QVERIFY(!dialog.okButton()->isEnabled());
        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [](QLabel* label) { return label->text() == "Name"; }));
        dialog.validation();
        QVERIFY(dialog.okButton()->isEnabled());

        dialog.lineEdit()->setText(QStringLiteral("  "));
        QVERIFY(!dialog.okButton()->isEnabled());
        QLabel* error =
            *std::find_if(labels.cbegin(), labels.cend(), [](QLabel* label) { return label->text() != "Name"; });
        QCOMPARE(error->text(), QStringLiteral("A name is needed"));
        error->ensurePolished();
        QCOMPARE(error->palette().color(QPalette::WindowText), QColor(0xCC, 0x33, 0x00));
        dialog.lineEdit()->setText(QStringLiteral("Run 2"));
        QVERIFY(dialog.okButton()->isEnabled());
        QVERIFY(error->text().isEmpty());
        QCOMPARE(dialog.value().toString(), QStringLiteral("Run 2"));
    }
};

QTEST_MAIN(TestConfirmDialog)
#include "tst_confirmdialog.moc"
