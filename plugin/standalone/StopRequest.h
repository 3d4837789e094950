#pragma once
// A request to end the program, made by a signal handler and seen by the
// application's timer on the message thread.
namespace morvane3
{
// Makes SIGTERM, SIGINT and SIGHUP request a stop instead of ending the
// process at once.
void installStopSignalHandlers();
bool stopRequested() noexcept;
} // namespace morvane3
