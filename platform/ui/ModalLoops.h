// Ending the modal loops of the program from outside them: a request to quit (a
// termination signal, say) first ends every open dialog, message box and popup menu,
// and while quitting no new one waits for an answer.
#pragma once

#include "platform/core/WinTypes.h"

// Ends every modal dialog, message box and popup menu open now with its cancel answer;
// their loops return once the current event has been handled. User-interface thread.
void EndModalLoops();

// While refused, dialogs, message boxes and common dialogs return their cancel answer
// at once without showing; a message box's text goes to standard error. Any thread.
void RefuseModalLoops(bool refuse);
bool AreModalLoopsRefused();

// From any thread: refuses modal loops from now on and ends the open ones on the
// user-interface thread as soon as it handles its events.
void RequestEndOfModalLoops();

// A refused message box: its text on standard error and the answer that asks for the
// least (IDOK for an OK box, IDNO for yes/no, IDABORT for abort/retry/ignore, else
// IDCANCEL).
int AnswerRefusedMessageBox(const char* text, UINT type);
