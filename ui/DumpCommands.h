#pragma once
// Script commands that read the control dump, for every program a script drives:
//   dump FILE                    writes the dump as JSON
//   expect PATH VALUE            fails unless the value at PATH reads VALUE
//   expect-missing PATH          fails when something is at PATH (a closed menu, a dialog)
//   expect-soon PATH VALUE [MS]  holds (real time, default 5000 ms) until it does, for
//                                changes that other processes make

#include "platform/display/ScriptRunner.h"
#include "ui/ControlDump.h"

#include <functional>
#include <string_view>

namespace vantrel {

using DumpSource = std::function<DumpValue()>;
using DumpLookup = std::function<const DumpValue*(const DumpValue& dump, std::string_view path)>;

void addDumpCommands(platform::ScriptRunner& runner, DumpSource dump,
                     DumpLookup lookUp = findDumpValue);

} // namespace vantrel
