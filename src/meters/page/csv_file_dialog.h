#pragma once

#include <QString>

class QWidget;

namespace holvex {

// What a table's file dialog is asked to show.
struct CsvFileDialogRequest {
    QString folder;       // folder the dialog starts in
    QString filter;       // name filter, e.g. "CSV files (*.csv)"
    QString proposedName; // file name offered when saving; empty when opening
    QString defaultSuffix;
};

// What the operator chose.
struct CsvFileDialogAnswer {
    bool shown = true; // false: the dialog could not be shown at all
    QString path;      // empty: cancelled or no name given
};

// The desktop's save and open dialogs, modal over `parent`.
CsvFileDialogAnswer runCsvSaveDialog(QWidget* parent, const CsvFileDialogRequest& request);
CsvFileDialogAnswer runCsvOpenDialog(QWidget* parent, const CsvFileDialogRequest& request);

} // namespace holvex
