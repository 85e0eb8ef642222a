#include "ConnectionHelper.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>
#include <type_traits>

static_assert(!std::is_copy_constructible_v<ConnectionHelper>,
              "a copy would disconnect the original's connections when destroyed");
static_assert(!std::is_copy_assignable_v<ConnectionHelper>);

class Pinger : public QObject
{
    Q_OBJECT
public:
    int received = 0;
    bool destructionIsWatched() const { return isSignalConnected(QMetaMethod::fromSignal(&QObject::destroyed)); }
signals:
    void ping();
public slots:
    void onPing() { ++received; }
};

static bool watchesDestruction(const Pinger* object)
{
    return object->destructionIsWatched();
}

class TestConnectionHelper : public QObject
{
    Q_OBJECT

private slots:
    void clearOnEmptyRegistryDoesNothing()
    {
        ConnectionHelper registry(QStringLiteral("Panel"));
        registry.clear();
        registry.clear();
        QCOMPARE(registry.name(), QStringLiteral("Panel"));
        QVERIFY(registry.connections().isEmpty());
        QVERIFY(registry.objectConnections().isEmpty());
        QVERIFY(registry.watchedObjects().isEmpty());
    }

    void clearEndsStreamedConnectionsAndRegistryStaysUsable()
    {
        Pinger a, b;
        ConnectionHelper registry;
        registry << connect(&a, &Pinger::ping, &b, &Pinger::onPing);
        emit a.ping();
        QCOMPARE(b.received, 1);

        registry.clear();
        emit a.ping();
        QCOMPARE(b.received, 1);
        QVERIFY(registry.connections().isEmpty());

        registry << connect(&a, &Pinger::ping, &b, &Pinger::onPing);
        emit a.ping();
        QCOMPARE(b.received, 2);
    }

    void destructionEndsStreamedConnections()
    {
        Pinger a, b;
        {
            ConnectionHelper registry;
            registry << connect(&a, &Pinger::ping, &b, &Pinger::onPing);
        }
        emit a.ping();
        QCOMPARE(b.received, 0);
    }

    void staticClearDisconnectsEveryHandle()
    {
        Pinger a, b;
        QList<QMetaObject::Connection> list{connect(&a, &Pinger::ping, &b, &Pinger::onPing),
                                            connect(&b, &Pinger::ping, &a, &Pinger::onPing)};
        ConnectionHelper::clear(list);
        QVERIFY(list.isEmpty());
        emit a.ping();
        emit b.ping();
        QCOMPARE(a.received + b.received, 0);
    }

    void invalidHandleIsHarmless()
    {
        ConnectionHelper registry;
        registry << QMetaObject::Connection();
        registry.append(QMetaObject::Connection(), nullptr, nullptr);
        QCOMPARE(registry.connections().size(), 1);
        QCOMPARE(registry.objectConnections().size(), 1);
        QVERIFY(registry.watchedObjects().isEmpty());
        registry.clear();
        QVERIFY(registry.connections().isEmpty());
    }

    void destroyingAnObjectDropsEveryConnectionItTakesPartIn()
    {
        auto a = std::make_unique<Pinger>();
        auto b = std::make_unique<Pinger>();
        auto c = std::make_unique<Pinger>();
        ConnectionHelper registry;
        registry.append(connect(a.get(), &Pinger::ping, b.get(), &Pinger::onPing), a.get(), b.get());
        registry.append(connect(b.get(), &Pinger::ping, c.get(), &Pinger::onPing), b.get(), c.get());
        QCOMPARE(registry.watchedObjects(), (QList<QObject*>{a.get(), b.get(), c.get()}));

        b.reset();
        QVERIFY(registry.objectConnections().isEmpty());
        QCOMPARE(registry.watchedObjects(), (QList<QObject*>{a.get(), c.get()}));
    }

    void sameSenderIsWatchedOnce()
    {
        Pinger a, b, c;
        ConnectionHelper registry;
        registry.append(connect(&a, &Pinger::ping, &b, &Pinger::onPing), &a, &b);
        registry.append(connect(&a, &Pinger::ping, &c, &Pinger::onPing), &a, &c);
        QCOMPARE(registry.watchedObjects(), (QList<QObject*>{&a, &b, &c}));
        QCOMPARE(registry.objectConnections().size(), 2);
    }

    void removeObjectConnectionsDisconnectsAndForgets()
    {
        Pinger a, b, stranger;
        ConnectionHelper registry;
        registry.append(connect(&a, &Pinger::ping, &b, &Pinger::onPing), &a, &b);
        registry.removeObjectConnections(&stranger);
        QCOMPARE(registry.objectConnections().size(), 1);

        registry.removeObjectConnections(&b);
        emit a.ping();
        QCOMPARE(b.received, 0);
        QVERIFY(registry.objectConnections().isEmpty());
        QCOMPARE(registry.watchedObjects(), QList<QObject*>{&a});
        QVERIFY(!watchesDestruction(&b));
    }

    void clearKeepsObjectBoundConnectionsButDropsTheWatches()
    {
        Pinger a, b;
        ConnectionHelper registry;
        registry.append(connect(&a, &Pinger::ping, &b, &Pinger::onPing), &a, &b);
        QVERIFY(watchesDestruction(&a));

        registry.clear();
        emit a.ping();
        QCOMPARE(b.received, 1);
        QVERIFY(registry.objectConnections().isEmpty());
        QVERIFY(registry.watchedObjects().isEmpty());
        QVERIFY(!watchesDestruction(&a));
        QVERIFY(!watchesDestruction(&b));
    }

    void objectsOutlivingTheRegistryNeverReachIt()
    {
        auto a = std::make_unique<Pinger>();
        auto b = std::make_unique<Pinger>();
        {
            ConnectionHelper registry;
            registry.append(connect(a.get(), &Pinger::ping, b.get(), &Pinger::onPing), a.get(), b.get());
        }
        QVERIFY(!watchesDestruction(a.get()));
        a.reset(); // would touch freed memory if a watch had survived
        b.reset();
    }

    void movedRegistryKeepsConnectionsAndWatches()
    {
        Pinger a, b;
        auto c = std::make_unique<Pinger>();
        ConnectionHelper target;
        {
            ConnectionHelper source(QStringLiteral("Source"));
            source << connect(&a, &Pinger::ping, &b, &Pinger::onPing);
            source.append(connect(c.get(), &Pinger::ping, &b, &Pinger::onPing), c.get(), &b);
            target = std::move(source);
        }
        QCOMPARE(target.name(), QStringLiteral("Source"));
        emit a.ping();
        QCOMPARE(b.received, 1);

        c.reset();
        QVERIFY(target.objectConnections().isEmpty());
        QCOMPARE(target.watchedObjects(), QList<QObject*>{&b});

        target.clear();
        emit a.ping();
        QCOMPARE(b.received, 1);
    }

    void movedFromRegistryIsUsableAgain()
    {
        Pinger a, b;
        ConnectionHelper source;
        ConnectionHelper target(std::move(source));
        source << connect(&a, &Pinger::ping, &b, &Pinger::onPing);
        source.clear();
        emit a.ping();
        QCOMPARE(b.received, 0);
    }

    void objectDestroyedInAnotherThreadIsForgotten()
    {
        Pinger receiver;
        auto* sender = new Pinger;
        ConnectionHelper registry;
        registry.append(connect(sender, &Pinger::ping, &receiver, &Pinger::onPing), sender, &receiver);

        QThread worker;
        sender->moveToThread(&worker);
        connect(sender, &QObject::destroyed, &worker, &QThread::quit, Qt::DirectConnection);
        worker.start();
        QMetaObject::invokeMethod(sender, &QObject::deleteLater, Qt::QueuedConnection);
        QVERIFY(worker.wait(30000));

        QVERIFY(registry.objectConnections().isEmpty());
        QCOMPARE(registry.watchedObjects(), QList<QObject*>{&receiver});
    }

    void globalRegistryIsOneNamedInstance()
    {
        ConnectionHelper& first = ConnectionHelper::Global();
        ConnectionHelper& second = ConnectionHelper::Global();
        QCOMPARE(&first, &second);
        QCOMPARE(first.name(), QStringLiteral("Global"));
    }
};

QTEST_GUILESS_MAIN(TestConnectionHelper)
#include "tst_connectionhelper.moc"
