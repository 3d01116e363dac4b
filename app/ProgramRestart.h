// Starting the window program again, as the operator asks once a unit answers
// that was not there when the program started. The window only asks for it;
// main() carries it out after the run has ended and the port is closed, so
// that the new run can open the port.
#pragma once

#include <string>
#include <vector>

namespace vx {

// Asks for a new run once this one has ended.
void RequestProgramRestart();
bool ProgramRestartRequested();

// Starts the program again with these arguments (the first is the program's
// name as it was started; see platform/ProgramStart.h); a failure is written
// as a debugger line.
void RestartProgram(const std::vector<std::string>& arguments);

// True in a run that RestartProgram started: it goes on from the run before,
// so its trace file is added to rather than started anew.
bool IsRestartedRun();

} // namespace vx
