#pragma once

// Writes a task list in the task file layout: the magic line, then each
// record's 17 + steps + disabled steps + details lines, every line ended by
// CR LF. The counts written are the lists' own sizes, not the mirror fields.

#include <string>

namespace rv {

class RVTaskList;
class RVTask;

std::string SerializeTaskFile(const RVTaskList& list);
// One record without the magic line (the task data text of script steps).
void AppendTaskRecord(const RVTask& task, std::string& out);

}  // namespace rv
