#pragma once

// Opens, in the file manager, the folder in which recordings lie until they are saved (and where
// an interrupted recording is left). Throws when no temporary directory can be made there.
void showTemporaryRecordingsDirectory();
