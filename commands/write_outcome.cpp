#include "commands/write_outcome.h"

#include "commands/records_state.h"

bool TellWriteOutcome(WriteOutcome outcome, Message missing, Message failed) {
  LastWriteOutcome = outcome;
  switch (outcome) {
    case WriteOutcome::kWritten:
      return true;
    // A file that another program holds is told as one that cannot be
    // opened, as it always was; a full disk as any failed write.
    case WriteOutcome::kNotOpened:
    case WriteOutcome::kBusy:
      Tell(missing);
      return false;
    case WriteOutcome::kChanged:
      Tell(Message::kRecordChanged);
      return false;
    case WriteOutcome::kFailed:
    case WriteOutcome::kDiskFull:
      Tell(failed);
      return false;
  }
  return false;
}
