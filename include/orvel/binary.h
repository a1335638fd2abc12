#ifndef ORVEL_BINARY_H
#define ORVEL_BINARY_H

#include <QByteArray>
#include <orvel/binarytype.h>
#include <orvel/entity.h>

namespace Orvel {

class RememberedRecords;
class Todo;

/// An attachment of a todo: a blob with a note, a kind and a size. The bytes are loaded on demand
/// and owned by the record. The attachment is owned by the Pool while it stands in its list, and
/// deleted by its todo's destructor.
class ORVEL_EXPORT Binary : public Entity
{
    Q_OBJECT

public:
    /// A new attachment without a todo: note "Binary data", type 0, size 0, no bytes. Use
    /// Pool::newBinary() so that the Pool owns and writes it.
    explicit Binary(DatabaseConnector* connector);
    /// An attachment with the given values. Takes ownership of \a data; a null \a data is replaced
    /// by an empty array.
    Binary(DatabaseConnector* connector, int id, int todo_id, const QDateTime& last_mod_date,
           const QString& note, BinaryType type, int size, QByteArray* data, bool is_deleted);
    /// Detaches the attachment from its todo, emits setDeleted() unless it is already deleted, and
    /// frees the bytes.
    ~Binary() override;

    /// Completes \c todo_id from the parent todo, then writes the attachment. Fails without a known
    /// todo id, or without a parent unless the attachment is deleted.
    bool save() override;
    bool databaseInsert() override;
    /// Writes the values; the stored bytes are replaced only when bytes are held in memory.
    bool databaseUpdate() override;
    bool databaseDelete() override;
    /// Marks the attachment and its parent todo modified.
    void modified() override;
    /// Detaches the attachment from its todo, remembering it, and emits setDeleted().
    void removeReferences() override;
    /// Re-attaches the remembered todo and emits setUndeleted().
    void recreateReferences() override;

    /// Moves the attachment to \a todo (null detaches it but keeps \c todo_id).
    void setTodo(Todo* todo);
    /// Sets the description.
    void setNote(const QString& note);
    /// Sets the kind of attachment.
    void setType(BinaryType type);
    /// Sets the size, stored as it is.
    void setSize(int size);
    /// Replaces the bytes held in memory; the record keeps owning its array and size is not derived
    /// from the bytes.
    void setData(const QByteArray& data);

    /// Reads the stored bytes into data, replacing the array; logs an error for an attachment
    /// without a row. Emits loadBinaryDataFinished() on every path.
    void loadBinaryData();
    /// Releases the bytes held in memory, leaving an empty array; the stored blob is kept. Refused
    /// with an error for an attachment without a row.
    void freeBinaryData();

    /// Primary key (binary_id); INT_MIN until the attachment is inserted.
    int id;
    /// \c id of the parent todo; INT_MIN when not known.
    int todo_id;
    /// Description of the attachment.
    QString note;
    /// Kind of attachment; 0 by default.
    BinaryType type;
    /// Size of the attachment as the front end set it; 0 by default.
    int size;
    /// The bytes, when loaded; owned by the record and never null (empty when not loaded).
    QByteArray* data;
    /// The parent todo; not owned, may be null.
    Todo* todo;
    /// The parent remembered by removeReferences(); null otherwise.
    Todo* detachedTodo;

Q_SIGNALS:
    /// Emitted, with no arguments, when loadBinaryData() ends, whether it read the bytes or not.
    void loadBinaryDataFinished();

private:
    //! Pool::disposeDeleted() checks through the remembered links whether a parent still exists.
    friend class Pool;

    void leaveParentLists();

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
