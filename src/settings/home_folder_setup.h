#pragma once

#include <QString>

namespace holvex {

// Makes what a home folder needs to start on, leaving what is there alone: the folder, the settings file with
// every default (its save folder the home itself) and the account file with the one default account
// (owner-only). False, with the file that failed in `error`, when something could not be written.
bool prepareHomeFolder(const QString& folder, QString* error);

} // namespace holvex
