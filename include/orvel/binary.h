#ifndef ORVEL_BINARY_H
#define ORVEL_BINARY_H

#include <QByteArray>
#include <orvel/binarytype.h>
#include <orvel/entity.h>

namespace Orvel {

class RememberedRecords;
class Todo;

/// An attachment of a todo. Its bytes are loaded on demand and owned by the record.
class ORVEL_EXPORT Binary : public Entity
{
    Q_OBJECT

public:
    explicit Binary(DatabaseConnector* connector);
    /// Takes ownership of data; a null data is replaced by an empty array.
    Binary(DatabaseConnector* connector, int id, int todo_id, const QDateTime& last_mod_date,
           const QString& note, BinaryType type, int size, QByteArray* data, bool is_deleted);
    ~Binary() override;

    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    void modified() override;
    void removeReferences() override;
    void recreateReferences() override;

    void setTodo(Todo* todo);
    void setNote(const QString& note);
    void setType(BinaryType type);
    void setSize(int size);
    /// Replaces the bytes held in memory; size is not derived from them.
    void setData(const QByteArray& data);

    /// Reads the stored bytes; emits loadBinaryDataFinished() on every path.
    void loadBinaryData();
    /// Releases the bytes held in memory; the stored blob is kept.
    void freeBinaryData();

    int id;
    int todo_id;
    QString note;
    BinaryType type;
    int size;
    QByteArray* data;
    Todo* todo;
    Todo* detachedTodo;

Q_SIGNALS:
    void loadBinaryDataFinished();

private:
    //! Pool::disposeDeleted() checks through the remembered links whether a parent still exists.
    friend class Pool;

    void leaveParentLists();

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
