#pragma once

#include <QFileDialog>

#include <functional>

// A "save as" file dialog that does not stop the event loop (reading goes on while it is open):
// made once per owner under `name`, opened with open(), and `chosen` runs with the file picked.
namespace SaveAsDialog {

inline void ask(QWidget *owner, const QString &name, const QString &filter, const QString &suffix,
                const std::function<void(const QString &)> &chosen)
{
    auto *dialog = owner->findChild<QFileDialog *>(name, Qt::FindDirectChildrenOnly);
    if (!dialog) {
        dialog = new QFileDialog(owner, QString(), QString(), filter);
        dialog->setObjectName(name);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setDefaultSuffix(suffix);
    }
    QObject::disconnect(dialog, &QFileDialog::fileSelected, nullptr, nullptr);
    QObject::connect(dialog, &QFileDialog::fileSelected, owner, [chosen](const QString &file) {
        if (!file.isEmpty())
            chosen(file);
    });
    dialog->open();
}

} // namespace SaveAsDialog
