#ifndef ORVEL_EXAMPLES_TODOLISTAPP_H
#define ORVEL_EXAMPLES_TODOLISTAPP_H

#include <QObject>
#include <QQmlApplicationEngine>
#include <orvel/todomodel.h>

QT_BEGIN_NAMESPACE
class QQuickWindow;
QT_END_NAMESPACE

namespace Orvel {
class Pool;
}

// The to-do list window: a TodoModel over the pool, shown by Main.qml, which calls addTodo().
// Closing the window writes every change back to the database.
class TodoListApp : public QObject
{
    Q_OBJECT

public:
    explicit TodoListApp(Orvel::Pool* pool, QObject* parent = nullptr);

    // Loads the window; false, with the reason on the message channel, when QML fails.
    bool load();
    QQuickWindow* window() const;

    // A new todo for the whole of today, so that it reads "Today" in the list.
    Q_INVOKABLE void addTodo(const QString& note);

private:
    void writeBack();

    Orvel::Pool* m_pool;
    Orvel::TodoModel m_model;
    QQmlApplicationEngine m_engine;
};

#endif
