#pragma once

#include "i18n/LanguageTable.h"

#include <QString>

class QWidget;

// Captions of the translatable controls (push buttons, labels and panels, check boxes, radio buttons,
// group boxes and the pages of page controls). Each keeps its English design-time caption as its
// translation key, so switching languages always starts from English and never from the caption shown.
// The kind test is exact: a class derived from one of these kinds keeps its caption.
namespace WindowTranslator {
// Records the current caption of every translatable control under `root` as its key.
void captureKeys(QWidget *root);
// Gives one control a new key (the Start button's session state).
void setKey(QWidget *control, const QString &key);
QString key(const QWidget *control);
// Leaves a control out of translation (a panel that shows a live value).
void exclude(QWidget *control);
// Sets every keyed caption under `root` to the translation of its key.
void applyCaptions(QWidget *root, Language language);
// The caption a control shows now (text, title or tab text).
QString caption(const QWidget *control);
void setCaption(QWidget *control, const QString &text);
} // namespace WindowTranslator
