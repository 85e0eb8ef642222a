#include "ConnectionHelper.h"

#include <QMutex>
#include <QMutexLocker>
#include <QObject>

#include <utility>

struct ConnectionHelper::State
{
    struct Watch
    {
        QObject* object = nullptr;
        QMetaObject::Connection destroyedConnection;
    };

    // Watched objects may die in any thread, so the lists are guarded although the owner
    // itself only ever uses the registry from its own thread.
    mutable QMutex mutex;
    QString name;
    QList<QMetaObject::Connection> connections;
    QList<ObjectConnection> objectConnections;
    QList<Watch> watches;

    bool isWatched(const QObject* object) const
    {
        for (const Watch& watch : watches) {
            if (watch.object == object)
                return true;
        }
        return false;
    }

    void forgetWatch(const QObject* object)
    {
        for (qsizetype i = 0; i < watches.size(); ++i) {
            if (watches.at(i).object == object) {
                QObject::disconnect(watches.at(i).destroyedConnection);
                watches.removeAt(i);
                return;
            }
        }
    }

    void dropWatches()
    {
        for (const Watch& watch : std::as_const(watches))
            QObject::disconnect(watch.destroyedConnection);
        watches.clear();
    }

    void removeObjectConnections(const QObject* object)
    {
        QMutexLocker locker(&mutex);
        for (qsizetype i = objectConnections.size() - 1; i >= 0; --i) {
            const ObjectConnection& record = objectConnections.at(i);
            if (record.sender == object || record.receiver == object) {
                QObject::disconnect(record.connection);
                objectConnections.removeAt(i);
            }
        }
        forgetWatch(object);
    }

    void clear()
    {
        QMutexLocker locker(&mutex);
        ConnectionHelper::clear(connections);
        objectConnections.clear();
        dropWatches();
    }
};

ConnectionHelper::ConnectionHelper(const QString& name)
    : state(std::make_shared<State>())
{
    state->name = name;
}

ConnectionHelper::~ConnectionHelper()
{
    clear();
}

ConnectionHelper::ConnectionHelper(ConnectionHelper&& other) noexcept
    : state(std::exchange(other.state, nullptr))
{
}

ConnectionHelper& ConnectionHelper::operator=(ConnectionHelper&& other) noexcept
{
    if (this != &other) {
        clear();
        state = std::exchange(other.state, nullptr);
    }
    return *this;
}

ConnectionHelper& ConnectionHelper::operator<<(const QMetaObject::Connection& connection)
{
    ensureState();
    QMutexLocker locker(&state->mutex);
    state->connections.append(connection);
    return *this;
}

void ConnectionHelper::append(const QMetaObject::Connection& connection, QObject* sender, QObject* receiver)
{
    ensureState();
    // One locked step, so an object dying meanwhile in another thread finds its record.
    QMutexLocker locker(&state->mutex);
    watch(sender);
    watch(receiver);
    state->objectConnections.append({sender, receiver, connection});
}

// Called with the state's mutex held.
void ConnectionHelper::watch(QObject* object)
{
    if (!object || state->isWatched(object))
        return;
    const std::weak_ptr<State> weakState = state;
    const QMetaObject::Connection destroyedConnection =
        QObject::connect(object, &QObject::destroyed, object, [weakState, object]() {
            if (const std::shared_ptr<State> alive = weakState.lock())
                alive->removeObjectConnections(object);
        });
    state->watches.append({object, destroyedConnection});
}

void ConnectionHelper::clear()
{
    if (state)
        state->clear();
}

void ConnectionHelper::clear(QList<QMetaObject::Connection>& connections)
{
    for (const QMetaObject::Connection& connection : std::as_const(connections))
        QObject::disconnect(connection);
    connections.clear();
}

void ConnectionHelper::removeObjectConnections(QObject* object)
{
    if (state)
        state->removeObjectConnections(object);
}

void ConnectionHelper::setName(const QString& name)
{
    ensureState();
    QMutexLocker locker(&state->mutex);
    state->name = name;
}

QString ConnectionHelper::name() const
{
    if (!state)
        return QString();
    QMutexLocker locker(&state->mutex);
    return state->name;
}

QList<QMetaObject::Connection> ConnectionHelper::connections() const
{
    if (!state)
        return {};
    QMutexLocker locker(&state->mutex);
    return state->connections;
}

QList<ConnectionHelper::ObjectConnection> ConnectionHelper::objectConnections() const
{
    if (!state)
        return {};
    QMutexLocker locker(&state->mutex);
    return state->objectConnections;
}

QList<QObject*> ConnectionHelper::watchedObjects() const
{
    QList<QObject*> objects;
    if (!state)
        return objects;
    QMutexLocker locker(&state->mutex);
    for (const State::Watch& watch : std::as_const(state->watches))
        objects.append(watch.object);
    return objects;
}

ConnectionHelper& ConnectionHelper::Global()
{
    // Never destroyed: connections in it may be disconnected by objects dying during exit.
    static ConnectionHelper* const global = new ConnectionHelper(QStringLiteral("Global"));
    return *global;
}

// A moved-from registry becomes a fresh, empty one when it is used again.
void ConnectionHelper::ensureState()
{
    if (!state)
        state = std::make_shared<State>();
}
