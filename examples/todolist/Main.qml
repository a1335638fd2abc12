import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

ApplicationWindow {
    id: window

    required property var todoModel
    required property var app

    width: 440
    height: 320
    visible: true
    title: qsTr("To-do list")

    function addTodo() {
        window.app.addTodo(newNote.text)
        newNote.clear()
    }

    header: ToolBar {
        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 6
            anchors.rightMargin: 6

            TextField {
                id: newNote
                objectName: "newNote"
                Layout.fillWidth: true
                placeholderText: qsTr("Something to do")
                onAccepted: window.addTodo()
            }
            Button {
                text: qsTr("Add")
                enabled: newNote.text.trim().length > 0
                onClicked: window.addTodo()
            }
            ComboBox {
                id: sortOrder
                objectName: "sortOrder"
                textRole: "text"
                valueRole: "value"
                // The values of Orvel::Query::SortOrder.
                model: [
                    { text: qsTr("Newest first"), value: 0 },
                    { text: qsTr("Oldest first"), value: 1 },
                    { text: qsTr("Latest start"), value: 2 },
                    { text: qsTr("Earliest start"), value: 3 },
                    { text: qsTr("Z to A"), value: 4 },
                    { text: qsTr("A to Z"), value: 5 }
                ]
                Component.onCompleted: currentIndex = indexOfValue(window.todoModel.sortOrder)
                onActivated: window.todoModel.sortOrder = currentValue
            }
        }
    }

    ListView {
        objectName: "todoList"
        anchors.fill: parent
        clip: true
        model: window.todoModel

        delegate: ItemDelegate {
            id: row

            required property var model
            required property string note
            required property string readableDate
            required property bool done

            width: ListView.view.width
            contentItem: RowLayout {
                CheckBox {
                    objectName: "done " + row.note
                    checked: row.done
                    // Goes through TodoModel::setData(), i.e. the todo's own setter.
                    onToggled: row.model.done = checked
                }
                Label {
                    Layout.fillWidth: true
                    text: row.note
                    elide: Text.ElideRight
                    font.strikeout: row.done
                }
                Label {
                    text: row.readableDate
                    opacity: 0.6
                }
            }
        }
    }
}
