#include "ClickableWidget.h"
#include "ObservableCollection.h"
#include "ZListBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Where each item wrapper and the filler stand in the list's grid: "w" for a wrapper, "f" for
// the filler with its stretch, "-" for an empty place.
QString cells(ZListBox& list)
{
    auto* grid = qobject_cast<QGridLayout*>(list.findChild<QScrollArea*>()->widget()->layout());
    const bool vertical = list.getOrientation() == Qt::Vertical;
    QString shown;
    for (int position = 0; position <= list.count(); ++position) {
        QLayoutItem* item = vertical ? grid->itemAtPosition(position, 0) : grid->itemAtPosition(0, position);
        if (!item) {
            shown += QLatin1Char('-');
            continue;
        }
        const int stretch = vertical ? grid->rowStretch(position) : grid->columnStretch(position);
        shown +=
            qobject_cast<ClickableWidget*>(item->widget()) ? QStringLiteral("w") : QStringLiteral("f%1").arg(stretch);
    }
    return shown;
}

// The item wrappers of the last rebuild; those of earlier ones are gone once deferred deletes ran.
QList<ClickableWidget*> wrappers(ZListBox& list)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return list.findChildren<ClickableWidget*>();
}

} // namespace

class TestListBox : public QObject
{
    Q_OBJECT

private slots:
    void listFollowsItsCollection()
    {
        QObject a, c, d;
        ObservableCollection collection;
        collection.add(QList<QObject*>{&a, nullptr, &c});
        ZListBox list;
        list.setEmptyListText(QStringLiteral("Nothing here"));
        connect(&list, &ZListBox::itemCreateDelegate, &list,
                [](QObject* element) -> QWidget* { return new QLabel(element->objectName()); });
        auto* emptyLabel = list.findChild<QLabel*>();
        list.resize(200, 100);
        list.show();
        QVERIFY(emptyLabel->isVisible());
        QCOMPARE(list.childAt(emptyLabel->geometry().center()), emptyLabel);

        // The label follows whichever collection the list shows.
        list.setItems(&collection);
        QVERIFY(emptyLabel->isHidden());
        QCOMPARE(cells(list), QStringLiteral("w-wf100"));
        QSignalSpy orientation(&list, &ZListBox::changedOrientation);
        list.setOrientation(Qt::Horizontal);
        list.setOrientation(Qt::Horizontal);
        QCOMPARE(orientation.count(), 1);
        QCOMPARE(cells(list), QStringLiteral("w-wf100"));
        list.setOrientation(Qt::Vertical);
        QCOMPARE(cells(list), QStringLiteral("w-wf100"));

        QSignalSpy index(&list, &ZListBox::changedSelectedIndex);
        for (int wrong : {5, -3, 1})
            list.setSelectedIndex(wrong);
        QCOMPARE(index.count(), 0);
        list.setSelectedItem(&c);
        QCOMPARE(list.getSelectedIndex(), 2);
        QVERIFY(wrappers(list)[1]->getIsHighlighted());
        collection.add(&d);
        QCOMPARE(list.getSelectedIndex(), -1);
        QCOMPARE(cells(list), QStringLiteral("w-wwf100"));

        // A collection given as the context becomes the items; anything else is ignored.
        ObservableCollection other;
        list.setContext(&other);
        QCOMPARE(list.getItems(), &other);
        QVERIFY(!emptyLabel->isHidden());
        list.setContext(&a);
        QCOMPARE(list.getItems(), &other);
    }

    void clicksSelectTheirElement()
    {
        QObject a, b, c;
        ObservableCollection collection;
        collection.add(QList<QObject*>{&a, nullptr, &b, &c});
        ZListBox list;
        connect(&list, &ZListBox::itemCreateDelegate, &list, [](QObject*) -> QWidget* { return new QLabel("x"); });
        list.setItems(&collection);
        list.resize(200, 300);
        list.show();
        QSignalSpy doubleClicked(&list, &ZListBox::selectedItemDoubleClicked);
        QSignalSpy anything(&list, &ZListBox::anythingSelected);

        // The place of the null element takes no wrapper; the next wrapper is still its own element.
        QTest::mousePress(wrappers(list)[1], Qt::LeftButton);
        QCOMPARE(list.getSelectedItem(), &b);
        const QImage image = wrappers(list)[1]->grab().toImage();
        QCOMPARE(image.pixelColor(0, 0), QColor(0x33, 0x99, 0xFF));
        QTest::mousePress(wrappers(list)[2], Qt::RightButton);
        QCOMPARE(list.getSelectedItem(), &b);
        QCOMPARE(anything.count(), 1);

        // A double click whose listener changes the collection rebuilds the list under the click.
        connect(&list, &ZListBox::selectedItemDoubleClicked, &collection,
                [&collection](QObject* element) { collection.remove(element); });
        QTest::mouseDClick(wrappers(list)[2], Qt::LeftButton);
        QCOMPARE(doubleClicked.count(), 1);
        QCOMPARE(doubleClicked.first().first().value<QObject*>(), &c);
        QCOMPARE(collection.count(), 3);
        QCOMPARE(list.getSelectedIndex(), -1);
        QCOMPARE(wrappers(list).size(), 2);

        // A close that a listener refuses keeps the widget open.
        ClickableWidget clickable;
        connect(&clickable, &ClickableWidget::closing, [](bool& cancel) { cancel = true; });
        QSignalSpy closed(&clickable, &ClickableWidget::closed);
        clickable.show();
        QVERIFY(!clickable.close());
        QVERIFY(clickable.isVisible());
        QCOMPARE(closed.count(), 0);
    }
};

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
