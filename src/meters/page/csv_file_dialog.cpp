#include "meters/page/csv_file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace holvex {

namespace {

CsvFileDialogAnswer run(QWidget* parent, const CsvFileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, QString(), request.folder, request.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.proposedName.isEmpty()) {
        dialog.selectFile(QDir(request.folder).filePath(request.proposedName));
    }
    CsvFileDialogAnswer answer;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        answer.path = dialog.selectedFiles().constFirst();
    }
    return answer;
}

} // namespace

CsvFileDialogAnswer runCsvSaveDialog(QWidget* parent, const CsvFileDialogRequest& request) {
    return run(parent, request, QFileDialog::AcceptSave);
}

CsvFileDialogAnswer runCsvOpenDialog(QWidget* parent, const CsvFileDialogRequest& request) {
    return run(parent, request, QFileDialog::AcceptOpen);
}

} // namespace holvex
