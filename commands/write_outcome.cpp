#include "commands/write_outcome.h"

bool TellWriteOutcome(const WriteResult& written, Message missing, Message failed) {
  switch (written.outcome) {
    case WriteOutcome::kWritten:
      return true;
    case WriteOutcome::kNotOpened:
      Tell(missing);
      return false;
    case WriteOutcome::kChanged:
      Tell(Message::kRecordChanged);
      return false;
    case WriteOutcome::kFailed:
      Tell(failed);
      return false;
  }
  return false;
}
