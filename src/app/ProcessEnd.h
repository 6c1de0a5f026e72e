#pragma once

// The end of a run. Once the run's work is committed and its database
// detached, nothing is left to write but standard output and standard error:
// the process flushes them and leaves at once. The Firebird client's exit
// handlers are skipped, which after a connection through a server wait about
// 50 ms for the client's network threads. Embedded, the engine writes the
// pages of a commit before the commit returns and the rest of its cache (the
// generator page among them) when the last attachment of the file detaches.
// Otherwise (a failed run, a detach that failed) the client is shut down in
// an orderly way, so that an engine still holding pages writes them, and the
// process ends through the usual path (as it always does in a build with
// AddressSanitizer, whose leak check runs at a usual exit).
namespace qorita {

// Returns AExitCode for main to return, or does not return at all.
int EndProcess(int AExitCode, bool ADetached);

}  // namespace qorita
