#include "BasePropertyView.h"
#include "PropertyListControl.h"
#include "PropertyTabWidget.h"
#include "ZTSettings.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

// Categories, priorities and visibility conditions as the program's settings declare them.
class ListSample : public ZTSettings
{
    Q_OBJECT
public:
    enum Platform { Platform_Round, Platform_Square };
    Q_ENUM(Platform)

    ZT_PROPERTY(QString, Extra, "")
    ZT_PROPERTY(int, Zeta, 1)
    Q_CLASSINFO("ZetaCategory", "1.Main")
    ZT_PROPERTY(int, Alpha, 1)
    Q_CLASSINFO("AlphaCategory", "1.Main")
    Q_CLASSINFO("AlphaDisplayName", "Omega")
    ZT_PROPERTY(Platform, Shape, ListSample::Platform_Round)
    Q_CLASSINFO("ShapeCategory", "1.Main")
    Q_CLASSINFO("ShapePriority", "2")
    ZT_PROPERTY(bool, Advanced, false)
    Q_CLASSINFO("AdvancedCategory", "1.Main")
    Q_CLASSINFO("AdvancedPriority", "1")
    ZT_PROPERTY(int, Side, 0)
    Q_CLASSINFO("SideCategory", "2.Detection")
    Q_CLASSINFO("SideVisibleBound", "Shape:!Platform_Round")
    ZT_PROPERTY(int, Sensitivity, 20)
    Q_CLASSINFO("SensitivityCategory", "2.Detection")
    Q_CLASSINFO("SensitivityVisibleBound", "Advanced:true")
    ZT_PROPERTY(bool, Hidden, false)
    Q_CLASSINFO("HiddenNotVisible", "true")
    ZT_PROPERTY(int, Bound, 0)
    Q_CLASSINFO("BoundVisibleBound", "!Hidden")

public:
    using ZTSettings::ZTSettings;
};

// Properties without categories: one group, no labels.
class Uncategorised : public ZTSettings
{
    Q_OBJECT
    ZT_PROPERTY(int, First, 1)
    ZT_PROPERTY(QString, Second, "two")

public:
    using ZTSettings::ZTSettings;
};

namespace {
// Opens the visibility test to the tests.
class ConditionProbe : public PropertyListControl
{
public:
    using BasePropertyListWidget::checkVisibility;
    using PropertyListControl::PropertyListControl;
};

QStringList rowNames(const BasePropertyListWidget& list)
{
    QStringList names;
    for (int i = 0; !list.getWidgetInfo(i).name.isEmpty(); ++i)
        names << list.getWidgetInfo(i).name;
    return names;
}

QStringList shownCategoryLabels(const QWidget& list)
{
    QStringList labels;
    for (const QLabel* label : list.findChildren<QLabel*>(QStringLiteral("propertyCategoryLabel")))
        if (!label->isHidden())
            labels << label->text();
    return labels;
}

bool rowShown(const BasePropertyListWidget& list, const QString& name)
{
    const BasePropertyListWidget::PropertyWidgetInfo info = list.getWidgetInfo(name);
    return !info.view->isHidden() && !info.header->isHidden();
}
} // namespace

class TestPropertyLists : public QObject
{
    Q_OBJECT

private slots:
    // "Other" first, then the categories in text order; inside one, priorities first.
    void rowsAreGroupedAndOrdered()
    {
        ListSample settings;
        PropertyListControl list(&settings, QString(), PropertyListControl::ViewAll);
        QCOMPARE(rowNames(list),
                 QStringList({"Bound", "Extra", "Advanced", "Shape", "Alpha", "Zeta", "Sensitivity", "Side"}));
        QCOMPARE(list.getWidgetInfo("shape").name, QStringLiteral("Shape"));
        QVERIFY(list.getWidgetInfo(-1).name.isEmpty());
        QVERIFY(list.getWidgetInfo(8).name.isEmpty());
        QVERIFY(list.getWidgetInfo("Hidden").name.isEmpty());
        QCOMPARE(qobject_cast<QLabel*>(list.getWidgetInfo("Alpha").header)->text(), QStringLiteral("Omega"));
        QCOMPARE(list.getWidgetInfo("Extra").view->getEditor()->focusPolicy(), Qt::StrongFocus);

        list.setMaximumHeaderColumnWidth(-1);
        QCOMPARE(list.getWidgetInfo("Zeta").header->maximumWidth(), 16777200);
        QVERIFY(list.getHeaderColumnWidth() > 0);
        QVERIFY(list.showHeader("zeta", false));
        QVERIFY(list.getWidgetInfo("Zeta").header->isHidden());
        QVERIFY(!list.showHeader("Nothing", false));
        auto* header = new QLabel("Custom");
        QVERIFY(list.substituteHeader("Zeta", header, Qt::AlignRight));
        QCOMPARE(list.getWidgetInfo("Zeta").header, header);
        QCOMPARE(list.getLayout()->indexOf(header) >= 0, true);
        // A substituted editor takes the place of the view's own, which then shows nothing more.
        auto* replacement = new QLineEdit();
        QVERIFY(list.substituteEditor("alpha", replacement));
        QVERIFY(!list.getWidgetInfo("Alpha").view->getEditor());
        QCOMPARE(replacement->parentWidget(), list.getWidgetInfo("Alpha").view);
        settings.setAlpha(4);
        QCoreApplication::processEvents();
        QVERIFY(!list.substituteEditor("Nothing", nullptr));

        Uncategorised plain;
        PropertyListControl single(&plain, QString(), PropertyListControl::ViewAllNoScrollArea);
        QCOMPARE(rowNames(single), QStringList({"First", "Second"}));
        QVERIFY(single.findChildren<QLabel*>(QStringLiteral("propertyCategoryLabel")).isEmpty());

        PropertyListControl notListed(&settings, "hidden", PropertyListControl::ViewSingleProperty);
        QCOMPARE(rowNames(notListed), QStringList({"Hidden"}));
        PropertyListControl missing(&settings, "Nothing", PropertyListControl::ViewSingleProperty);
        QVERIFY(rowNames(missing).isEmpty());
    }

    void conditionGrammar_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("holds");
        QTest::newRow("x|y, x") << "x"
                                << "x|y" << true;
        QTest::newRow("x|y, y") << "y"
                                << "x|y" << true;
        QTest::newRow("x|y, z") << "z"
                                << "x|y" << false;
        QTest::newRow("x&&y, x") << "x"
                                 << "x&&y" << false;
        QTest::newRow("x&&!y, x") << "x"
                                  << "x&&!y" << true;
        QTest::newRow("!x, y") << "y"
                               << "!x" << true;
        QTest::newRow("!x, x") << "x"
                               << "!x" << false;
        QTest::newRow("'', empty") << ""
                                   << "''" << true;
        QTest::newRow("'', a") << "a"
                               << "''" << false;
        QTest::newRow("!'', a") << "a"
                                << "!''" << true;
        QTest::newRow("leading | is no OR") << "x"
                                            << "|x" << false;
        QTest::newRow("leading |, whole") << "|x"
                                          << "|x" << true;
        QTest::newRow("case matters") << "X"
                                      << "x" << false;
    }

    void conditionGrammar()
    {
        QFETCH(QString, value);
        QFETCH(QString, condition);
        QFETCH(bool, holds);
        ListSample settings;
        settings.setExtra(value);
        ConditionProbe list(&settings, QString(), PropertyListControl::ViewAll);
        QCOMPARE(list.checkVisibility("Extra", condition), holds);
        QVERIFY(list.checkVisibility("NotListed", condition));
        settings.setShape(ListSample::Platform_Square);
        QVERIFY(list.checkVisibility("Shape", "Platform_Square"));
    }

    // Rows follow the values their conditions name; a category label hides with its last row.
    void rowsFollowTheirConditions()
    {
        ListSample settings;
        PropertyListControl list(&settings, QString(), PropertyListControl::ViewAll);
        QVERIFY(!rowShown(list, "Side"));
        QVERIFY(!rowShown(list, "Sensitivity"));
        QVERIFY(rowShown(list, "Bound"));
        QCOMPARE(shownCategoryLabels(list), QStringList({"Other", "1.Main"}));
        settings.setAdvanced(true);
        QVERIFY(rowShown(list, "Sensitivity"));
        QCOMPARE(shownCategoryLabels(list), QStringList({"Other", "1.Main", "2.Detection"}));
        settings.setShape(ListSample::Platform_Square);
        QVERIFY(rowShown(list, "Side"));
        settings.setAdvanced(false);
        settings.setShape(ListSample::Platform_Round);
        QCOMPARE(shownCategoryLabels(list), QStringList({"Other", "1.Main"}));
    }

    void singleCategoryCountsItsVisibleRows()
    {
        ListSample settings;
        PropertyListControl list(&settings, "2.Detection", PropertyListControl::ViewSingleCategory);
        QCOMPARE(rowNames(list), QStringList({"Sensitivity", "Side"}));
        QVERIFY(rowShown(list, "Side"));
        QCOMPARE(list.visibleProperties(), 0);

        QSignalSpy counts(&list, &PropertyListControl::propertyVisibilityChanged);
        list.setManageCategoryVisibility(true);
        QVERIFY(!rowShown(list, "Side"));
        QVERIFY(!rowShown(list, "Sensitivity"));
        QCOMPARE(counts.constLast().at(0).toInt(), 0);
        settings.setAdvanced(true);
        QCOMPARE(counts.constLast().at(0).toInt(), 1);
        QCOMPARE(list.visibleProperties(), 1);

        PropertyListControl main(&settings, "1.Main", PropertyListControl::ViewSingleCategory);
        QCOMPARE(main.visibleProperties(), 4);
        PropertyListControl none(&settings, "No such", PropertyListControl::ViewSingleCategory);
        QVERIFY(rowNames(none).isEmpty());
    }

    void tabStaysHiddenWhileAllItsRowsAre()
    {
        ListSample settings;
        PropertyTabWidget tabs(&settings);
        QTabWidget* widget = tabs.getTabWidget();
        QCOMPARE(tabs.tabCount(), 3);
        QCOMPARE(widget->tabText(0), QStringLiteral("Other"));
        const int detection = tabs.tabIndex("2.DETECTION");
        QCOMPARE(detection, 2);
        QVERIFY(widget->isTabVisible(1));
        QVERIFY(!widget->isTabVisible(detection));
        settings.setShape(ListSample::Platform_Square);
        QVERIFY(widget->isTabVisible(detection));
        settings.setShape(ListSample::Platform_Round);
        QVERIFY(!widget->isTabVisible(detection));

        tabs.moveTab("2.detection", 0, true);
        QCOMPARE(widget->tabText(0), QStringLiteral("2.Detection"));
        QCOMPARE(widget->currentIndex(), 0);
        QVERIFY(!tabs.tabLayout(-1));
        QVERIFY(!tabs.tabLayout(tabs.tabCount()));
        QVERIFY(tabs.tabLayout(0));
        QCOMPARE(tabs.tabIndex("Nothing"), -1);
    }
};

QTEST_MAIN(TestPropertyLists)
#include "tst_propertylists.moc"
