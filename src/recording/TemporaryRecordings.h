#pragma once

// Opens, in the file manager, each folder that holds recordings waiting to be saved (or left by an
// interruption), the fallback folder included; when none holds any, the folder where the next
// recording goes. Throws when no such folder can be made.
void showTemporaryRecordingsDirectory();
