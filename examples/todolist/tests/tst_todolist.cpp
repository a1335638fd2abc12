#include "../todolistapp.h"
#include "testsupport.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <memory>
#include <orvel/pool.h>
#include <orvel/todo.h>

namespace {

const QStringList seededNotes = {"Water the plants", "Call the plumber", "Pay the rent"};

void collectItems(QQuickItem* item, QList<QQuickItem*>& items)
{
    items.append(item);
    for (QQuickItem* child : item->childItems())
        collectItems(child, items);
}

} // namespace

class TestTodoList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTheTodosAndWritesAClickedCheckBox()
    {
        std::unique_ptr<Orvel::Pool> pool(Orvel::Pool::instance());
        pool->start();
        const QDate today = QDate::currentDate();
        for (int i = 0; i < seededNotes.size(); ++i) {
            Orvel::Todo* todo = pool->newTodo();
            todo->setNote(seededNotes.at(i));
            todo->setStartDate(QDateTime(today.addDays(i), QTime(9 + i, 0)));
            todo->setEndDate(QDateTime(today.addDays(i), QTime(10 + i, 30)));
        }
        pool->synchronizeToDatabase();

        TodoListApp app(pool.get());
        QVERIFY(app.load());
        QQuickWindow* window = app.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        QList<QQuickItem*> items;
        QStringList texts;
        collectItems(window->contentItem(), items);
        for (const QQuickItem* item : std::as_const(items))
            texts << item->property("text").toString();
        for (const QString& note : seededNotes)
            QVERIFY2(texts.contains(note), qPrintable(note));

        QQuickItem* checkBox = nullptr;
        for (QQuickItem* item : std::as_const(items)) {
            if (item->objectName() == QStringLiteral("done Water the plants"))
                checkBox = item;
        }
        QVERIFY(checkBox);
        const QPointF centre =
            checkBox->mapToScene(QPointF(checkBox->width(), checkBox->height()) / 2);
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
        QTRY_VERIFY(checkBox->property("checked").toBool());

        const QString screenshot = qEnvironmentVariableIsSet("ORVEL_SCREENSHOT")
                                       ? qEnvironmentVariable("ORVEL_SCREENSHOT")
                                       : QStringLiteral(TODOLIST_SCREENSHOT);
        QVERIFY(window->grabWindow().save(screenshot));

        // Closing writes back; the database is read by an independent client.
        window->close();
        QCOMPARE(
            OrvelTest::sqlite3(OrvelTest::defaultDatabasePath(),
                               QStringLiteral("SELECT note FROM TODO_PROJECT WHERE is_done = 1")),
            QStringLiteral("Water the plants"));
    }
};

QTEST_MAIN(TestTodoList)
#include "tst_todolist.moc"
