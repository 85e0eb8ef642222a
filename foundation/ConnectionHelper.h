#pragma once

#include <QList>
#include <QMetaObject>
#include <QString>

#include <memory>

class QObject;

// Keeps the signal connections an object makes, so that none outlives its owner.
//
// The registry is move-only: a copy that disconnected on destruction would tear down the
// connections of the original behind its back. Its state lives behind a shared pointer, so the
// destroyed-watches of watched objects reach it through a weak reference and fall silent once
// the registry is cleared or gone, whichever thread the watched object dies in.
class ConnectionHelper
{
public:
    struct ObjectConnection
    {
        QObject* sender = nullptr;
        QObject* receiver = nullptr;
        QMetaObject::Connection connection;
    };

    explicit ConnectionHelper(const QString& name = QString());
    ~ConnectionHelper();

    ConnectionHelper(const ConnectionHelper&) = delete;
    ConnectionHelper& operator=(const ConnectionHelper&) = delete;
    ConnectionHelper(ConnectionHelper&& other) noexcept;
    ConnectionHelper& operator=(ConnectionHelper&& other) noexcept;

    ConnectionHelper& operator<<(const QMetaObject::Connection& connection);
    void append(const QMetaObject::Connection& connection, QObject* sender, QObject* receiver);

    // Disconnects the plain connections and forgets everything; the object-bound ones are
    // forgotten without being disconnected, as their objects still own them.
    void clear();
    static void clear(QList<QMetaObject::Connection>& connections);

    void removeObjectConnections(QObject* object);

    void setName(const QString& name);
    QString name() const;

    QList<QMetaObject::Connection> connections() const;
    QList<ObjectConnection> objectConnections() const;
    QList<QObject*> watchedObjects() const;

    static ConnectionHelper& Global();

private:
    struct State;
    std::shared_ptr<State> state;

    void ensureState();
    void watch(QObject* object);
};
