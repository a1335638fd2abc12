// A front end as small as possible: opens the pool in a fresh HOME, stores one todo and reads it
// back, and checks that the Qt it runs on is the one the library's headers were built for.
#include <QCoreApplication>
#include <QDebug>
#include <orvel/pool.h>
#include <orvel/todo.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Orvel::Pool* pool = Orvel::Pool::instance();
    pool->start();
    Orvel::Todo* todo = pool->newTodo();
    todo->setNote(QStringLiteral("side by side"));
    pool->synchronizeToDatabase();
    pool->start();
    const int stored = pool->todos->size();
    delete pool;

    const int runningMajor =
        QString::fromLatin1(qVersion()).section(QLatin1Char('.'), 0, 0).toInt();
    if (stored != 1 || runningMajor != ORVEL_QT_MAJOR_VERSION)
        return 1;
    qInfo("consumer: %d todo stored, library for Qt %d, running on Qt %s", stored,
          ORVEL_QT_MAJOR_VERSION, qVersion());
    return 0;
}
