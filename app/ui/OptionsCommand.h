#pragma once

class QWidget;

namespace orvel {

class COrvelApp;

// "&Einstellungen...": the options sheet on the application's settings. OK
// takes every page's values, writes the settings, and lays out and repaints
// every open view, so that a new grid font shows at once. Abbrechen changes
// nothing and repaints nothing. True after OK.
bool RunOptions(QWidget *parent, COrvelApp &app);

} // namespace orvel
