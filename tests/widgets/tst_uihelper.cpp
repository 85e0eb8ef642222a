#include "UIHelper.h"
#include "WidgetPixels.h"
#include "ZPushButton.h"

#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QTest>

#include <memory>

namespace {
const QString Check = QStringLiteral(":/icons/check.svg");
} // namespace

class TestUIHelper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(addShippedThemes()); }

    void buttonIconsFollowTheColourRule_data()
    {
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QColor>("light");
        QTest::addColumn<QColor>("dark");
        QTest::newRow("as drawn, white when dark") << "" << QColor(0x30, 0x30, 0x30) << QColor(Qt::white);
        QTest::newRow("theme variable") << "--z-accent" << QColor(0x77, 0xAA, 0xCC) << QColor(0x11, 0x55, 0x99);
        QTest::newRow("fixed") << "#00FF00" << QColor(Qt::green) << QColor(Qt::green);
    }

    void buttonIconsFollowTheColourRule()
    {
        QFETCH(QString, colour);
        QFETCH(QColor, light);
        QFETCH(QColor, dark);
        StyleHelper* style = StyleHelper::Instance();
        style->selectTheme(QStringLiteral("light"));
        std::unique_ptr<ZPushButton> button(
            UIHelper::btn(Check, "Go", "Tip", QSize(20, 20), "accent", QString(), colour));
        QCOMPARE(drawnColour(button->icon()), light);
        style->selectTheme(QStringLiteral("dark"));
        QCOMPARE(drawnColour(button->icon()), dark);
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(button->iconSize(), QSize(20, 20));

        std::unique_ptr<ZPushButton> image(UIHelper::imageButton(Check, "Tip", QSize(16, 16), QSize(28, 28)));
        QCOMPARE(image->size(), QSize(28, 28));
        QCOMPARE(drawnColour(image->icon()), QColor(Qt::white));
        QVERIFY(image->objectName().isEmpty());
        style->selectTheme(QStringLiteral("light"));
    }

    void svgPicturesAndLabels()
    {
        const QPixmap own = UIHelper::PixmapFromSvg(Check, QString(), QSize(0, 0));
        QCOMPARE(own.size(), QSize(24, 24));
        QCOMPARE(drawnColour(own.toImage()), QColor(0x30, 0x30, 0x30));
        const QPixmap red = UIHelper::PixmapFromSvg(Check, QStringLiteral("#FF0000"), QSize(48, 48));
        QCOMPARE(red.size(), QSize(48, 48));
        QCOMPARE(drawnColour(red.toImage()), QColor(Qt::red));
        QVERIFY(UIHelper::PixmapFromSvg(QStringLiteral(":/missing.svg"), QString(), QSize(8, 8)).isNull());
        QCOMPARE(drawnColour(UIHelper::IconFromSvg(Check, QStringLiteral("#0000FF"), QSize(24, 24))), QColor(Qt::blue));
        QCOMPARE(UIHelper::findValidResource({QStringLiteral(":/missing.svg"), Check}), Check);

        std::unique_ptr<QPushButton> fixed(UIHelper::FixedSizeSvg(Check, QSize(30, 30), QStringLiteral("#FF0000")));
        QCOMPARE(fixed->size(), QSize(30, 30));
        QCOMPARE(drawnColour(fixed->icon()), QColor(Qt::red));
        std::unique_ptr<QPushButton> link(UIHelper::GenerateLinkButton(QStringLiteral("https://example.org")));
        QCOMPARE(link->text(), link->toolTip());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

        std::unique_ptr<QLabel> label(UIHelper::GenerateBoldLabel(QStringLiteral("WWW"), 30, Qt::red));
        label->ensurePolished();
        QCOMPARE(label->fontInfo().pixelSize(), 30);
        QVERIFY(label->font().bold());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
        std::unique_ptr<QLabel> plain(UIHelper::GenerateLabel(QStringLiteral("x"), 0, Qt::blue));
        QCOMPARE(plain->styleSheet(), QStringLiteral("QLabel { color: #0000ff; }"));
    }

    void layoutsAreClearedWithWhatTheyHold()
    {
        QWidget host;
        auto* outer = new QVBoxLayout(&host);
        QPointer<QLabel> label = new QLabel(QStringLiteral("a"));
        outer->addWidget(label);
        auto* nested = new QHBoxLayout();
        QPointer<QLabel> nestedLabel = new QLabel(QStringLiteral("b"));
        nested->addWidget(nestedLabel);
        outer->addLayout(nested);
        outer->addStretch();
        UIHelper::ClearLayout(outer, false);
        QVERIFY(!label && !nestedLabel);
        QCOMPARE(outer->count(), 0);
        QCOMPARE(host.layout(), outer);

        outer->addWidget(label = new QLabel(QStringLiteral("c")));
        auto* child = new QLabel(QStringLiteral("d"));
        UIHelper::InsertToWidget(&host, child, 3, Qt::AlignRight);
        QVERIFY(!label);
        auto* grid = qobject_cast<QGridLayout*>(host.layout());
        QVERIFY(grid);
        QCOMPARE(grid->itemAtPosition(0, 0)->widget(), child);
        QCOMPARE(grid->contentsMargins(), QMargins(3, 3, 3, 3));
    }
};

QTEST_MAIN(TestUIHelper)
#include "tst_uihelper.moc"
