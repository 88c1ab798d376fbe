#pragma once

#include <QString>

namespace orvel::setup {

// Setup's own German string table (SetupStrings.txt, built into the core):
// the ids of its messages and prompts.
enum SetupStringId : int {
    IDS_FILE_IN_USE = 100,
    IDS_FILE_NOT_INSTALLED = 101,
    IDS_COM_FAILED = 103,
    IDS_BROWSE_PROMPT = 104,
    IDS_INVALID_PATH = 105,
    IDS_CREATE_FOLDER = 106,
    IDS_FOLDER_NOT_CREATED = 107,
    IDS_CONTROL_NOT_REGISTERED = 108,
    IDS_CONTROL_NOT_UNREGISTERED = 109,
    IDS_CREATING_SHORTCUTS = 110,
    IDS_READING_MENU = 111,
    IDS_UPDATING_REGISTRY = 112,
    IDS_SUMMARY = 113,
    IDS_INSTALL_FAILED = 114,
    IDS_LOG_MISSING = 115,
    IDS_FOLDER_NOT_REMOVED = 116,
    IDS_FILE_NOT_REMOVED = 117,
    IDS_UNINSTALL_DONE = 118,
    IDS_LOG_NOT_CREATED = 119,
    IDS_TOO_LITTLE_SPACE = 120,
    IDS_REMOVING = 121,
    IDS_UNINSTALL_INCOMPLETE = 122,
    IDS_ALREADY_INSTALLED = 123,
};

// The text of a string id, escapes resolved; empty for an unknown id.
QString SetupString(int id);

// The text with "%1" (or the first "%s") replaced by the argument.
QString SetupMessage(int id, const QString &argument);

} // namespace orvel::setup
