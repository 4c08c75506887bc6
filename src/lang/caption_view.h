#pragma once

#include "lang/caption_table.h"

class QWidget;

namespace holvex {

// Sets the caption of every control of the table found under `root` by object name: a button's or label's
// text, a group's or menu's title, an action's text, or the tab caption of a page. Controls that do not
// exist (yet) are passed over. Returns how many controls were set.
int applyCaptions(QWidget* root, const CaptionTable& table, TickedLanguage language);

// Sets the caption of the controls named `objectName` only; false when the table gives none.
bool applyCaption(QWidget* root, const CaptionTable& table, const QString& objectName,
                  TickedLanguage language);

// The main window's table in English / Italian.
int applyEnglish(QWidget* mainWindow, const CaptionTable& table);
int applyItalian(QWidget* mainWindow, const CaptionTable& table);

} // namespace holvex
