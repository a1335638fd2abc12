// orvel-todolist: the to-do list of ~/.orvel/orvel_db.sqlite in a Qt Quick window.

#include "todolistapp.h"

#include <QGuiApplication>
#include <memory>
#include <orvel/pool.h>

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    // Deleting the pool at the end writes whatever is still outstanding.
    const std::unique_ptr<Orvel::Pool> pool(Orvel::Pool::instance());
    pool->start();
    TodoListApp todoList(pool.get());
    if (!todoList.load())
        return 1;
    return application.exec();
}
