#include "commands/write_outcome.h"

CommandResult OutcomeOf(const WriteResult& written, Message missing, Message failed) {
  switch (written.outcome) {
    case WriteOutcome::kWritten:
      return CommandResult{true, std::nullopt, written.status};
    case WriteOutcome::kNotOpened:
      return CommandResult{false, missing, written.status};
    case WriteOutcome::kChanged:
      return CommandResult{false, Message::kRecordChanged, written.status};
    case WriteOutcome::kFailed:
      return CommandResult{false, failed, written.status};
  }
  return CommandResult{false, failed, written.status};
}
