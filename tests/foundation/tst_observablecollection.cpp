#include "ObservableCollection.h"

#include <QSignalSpy>
#include <QTest>

// The collection's content after each operation and the announcement that follows it.
class TestObservableCollection : public QObject
{
    Q_OBJECT

    QObject a;
    QObject b;
    QObject c;

    using Items = QList<QObject*>;

    struct Watch
    {
        explicit Watch(ObservableCollection& collection)
            : changed(&collection, &ObservableCollection::collectionChanged)
            , counted(&collection, &ObservableCollection::countChanged)
        {
        }
        QSignalSpy changed;
        QSignalSpy counted;
    };

    static void expectAnnouncement(Watch& watch, const Items& newItems, const Items& oldItems, int count)
    {
        QCOMPARE(watch.changed.count(), 1);
        QCOMPARE(watch.changed.first().at(0).value<Items>(), newItems);
        QCOMPARE(watch.changed.first().at(1).value<Items>(), oldItems);
        QCOMPARE(watch.counted.count(), 1);
        QCOMPARE(watch.counted.first().first().toInt(), count);
        watch.changed.clear();
        watch.counted.clear();
    }

    static Items content(const ObservableCollection& collection)
    {
        Items items;
        for (int i = 0; i < collection.count(); ++i)
            items.append(collection.at(i));
        return items;
    }

private slots:
    void addAndInsert()
    {
        ObservableCollection collection(nullptr);
        Watch watch(collection);
        collection.add(&a);
        expectAnnouncement(watch, {&a}, {}, 1);
        collection.add(nullptr);
        collection.insertAt(nullptr, 0);
        QCOMPARE(watch.changed.count(), 0);
        collection.add(Items{&b, &c});
        expectAnnouncement(watch, {&b, &c}, {}, 3);
        collection.add(ZList<QObject*>{&a});
        expectAnnouncement(watch, {&a}, {}, 4);
        collection.add(Items{});
        expectAnnouncement(watch, {}, {}, 4);
        collection.insertAt(&c, 1);
        expectAnnouncement(watch, {&c}, {}, 5);
        QCOMPARE(content(collection), Items({&a, &c, &b, &c, &a}));
    }

    void insertAtClampsItsPosition()
    {
        ObservableCollection collection(nullptr);
        collection.add(&a);
        collection.insertAt(&b, -5);
        collection.insertAt(&c, 99);
        QCOMPARE(content(collection), Items({&b, &a, &c}));
        collection.insertAt(&a, 3);
        QCOMPARE(collection.at(3), &a);
    }

    void remove()
    {
        ObservableCollection collection(nullptr);
        collection.add(Items{&a, &b, &a});
        Watch watch(collection);
        collection.removeAt(-1);
        collection.removeAt(3);
        collection.remove(&c);
        QCOMPARE(watch.changed.count(), 0);
        collection.remove(&a);
        expectAnnouncement(watch, {}, {&a}, 2);
        QCOMPARE(content(collection), Items({&b, &a}));
        collection.removeAt(1);
        expectAnnouncement(watch, {}, {&a}, 1);
    }

    void clearAlwaysAnnounces()
    {
        ObservableCollection collection(nullptr);
        collection.add(Items{&a, &b});
        Watch watch(collection);
        collection.clear();
        expectAnnouncement(watch, {}, {}, 0);
        collection.clear();
        expectAnnouncement(watch, {}, {}, 0);
    }

    void lookUps()
    {
        ObservableCollection collection(nullptr);
        collection.add(Items{&a, &b, &a});
        QCOMPARE(collection.count(), 3);
        QCOMPARE(collection.indexOf(&a), 0);
        QCOMPARE(collection.indexOf(&c), -1);
        QVERIFY(collection.contains(&b));
        QVERIFY(!collection.contains(&c));
        QVERIFY(!collection.at(3));
        QVERIFY(!collection.at(-1));
    }

    void listBoxSignatureConnects()
    {
        ObservableCollection collection(nullptr);
        QSignalSpy counted(&collection, SIGNAL(countChanged(int)));
        QVERIFY(counted.isValid());
        collection.add(&a);
        QCOMPARE(counted.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestObservableCollection)
#include "tst_observablecollection.moc"
