#pragma once

#include <QMap>
#include <QWidget>

class QGridLayout;

// A fixed-size picture that shows one of several named states.
class MultiStateImageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MultiStateImageWidget(int width = 16, int height = 16, QWidget* parent = nullptr);

    // Adds the state, or gives an existing one another picture.
    void addState(const QString& state, const QString& path);
    // Shows the state's picture; a state never added, or the current one, changes nothing.
    void setState(const QString& state);
    QString getCurrentState() const;

signals:
    void stateChanged(const QString& state);

private:
    QWidget* pictureOf(const QString& path) const;

    QMap<QString, QString> states;
    QString currentState;
    QGridLayout* layout;
};
