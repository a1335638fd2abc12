#include "todolistapp.h"

#include <QQuickWindow>
#include <orvel/pool.h>
#include <orvel/todo.h>

TodoListApp::TodoListApp(Orvel::Pool* pool, QObject* parent)
    : QObject(parent), m_pool(pool), m_model(pool)
{}

bool TodoListApp::load()
{
    m_engine.setInitialProperties({{QStringLiteral("todoModel"), QVariant::fromValue(&m_model)},
                                   {QStringLiteral("app"), QVariant::fromValue(this)}});
    m_engine.load(QUrl(QStringLiteral("qrc:/todolist/Main.qml")));
    QQuickWindow* shown = window();
    if (!shown)
        return false;
    // A closed window is hidden; QQuickWindow::closing() carries a type that Qt keeps private.
    connect(shown, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible)
            writeBack();
    });
    return true;
}

QQuickWindow* TodoListApp::window() const
{
    const QList<QObject*> roots = m_engine.rootObjects();
    return roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(roots.first());
}

void TodoListApp::addTodo(const QString& note)
{
    const QString text = note.trimmed();
    if (text.isEmpty())
        return;
    const QDate today = QDate::currentDate();
    Orvel::Todo* todo = m_pool->newTodo();
    todo->setStartDate(QDateTime(today, QTime(0, 0)));
    todo->setEndDate(QDateTime(today, QTime(23, 59)));
    todo->setNote(text);
}

void TodoListApp::writeBack()
{
    m_pool->synchronizeToDatabase();
}
