#include "app/FileDialogs.h"
#include "widgets/MsgBox.h"
#include <QFileDialog>
#include <QFileInfo>

namespace {
QString AllFiles() {
#ifdef Q_OS_WIN
    return QStringLiteral("All Files (*.*)");
#else
    // "*.*" would hide files without an extension here.
    return QStringLiteral("All Files (*)");
#endif
}
} // namespace

QStringList OpenFilters() {
    return {QStringLiteral("Brevanto 2015 (*.qvxd)"), QStringLiteral("Brevanto 3.0 (*.qvd)"),
            QStringLiteral("Brevanto 2.0 (*.qvd)"), AllFiles()};
}

QStringList SaveFilters() {
    return {QStringLiteral("Brevanto 2015 (*.qvxd)"), AllFiles()};
}

std::optional<TOpenChoice> TQtFileDialogs::Open(QWidget* parent, int filterIndex) {
    QFileDialog dialog(parent, QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    const QStringList filters = OpenFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(filterIndex, filters.first()));
    dialog.setDefaultSuffix(QStringLiteral("qvd"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return TOpenChoice{dialog.selectedFiles().first(),
                       std::max(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())))};
}

std::optional<QString> TQtFileDialogs::SaveAs(QWidget* parent, const QString& title,
                                              const QString& proposed) {
    QString start = proposed;
    for (;;) {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(SaveFilters());
        // A name typed without extension gets the extension of the files the dialog lists.
        dialog.setDefaultSuffix(QStringLiteral("qvxd"));
        dialog.selectFile(start);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().first();
        const QFileInfo info(chosen);
        if (!info.absoluteDir().exists()) {
            MsgInformation(parent, chosen + QStringLiteral("\rThe folder does not exist."));
        } else if (info.exists() && !info.isWritable()) {
            MsgInformation(parent,
                           chosen + QStringLiteral("\rThis file is read-only. Use a different file name."));
        } else {
            return chosen;
        }
        start = chosen;
    }
}
