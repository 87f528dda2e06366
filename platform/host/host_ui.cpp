// Message boxes, beeps and the quit request, recorded for tests instead of
// shown. Every box is answered from the queue, or with OK.
#include <string>

#include "platform/host/host_state.h"
#include "platform/host/host_window.h"
#include "platform/platform.h"

namespace platform {
namespace host {

WindowRef MainWindowStandIn() {
  static Window main("main");
  return &main;
}

const std::vector<UiEvent>& Events() { return State().events; }

void QueueMessageBoxAnswer(int answer) { State().answers.push_back(answer); }
size_t UnusedMessageBoxAnswers() { return State().answers.size(); }

void EchoMessagesTo(std::FILE* stream) { State().echo = stream; }

bool QuitRequested(int* exitCode) {
  if (exitCode != nullptr) *exitCode = State().quitCode;
  return State().quit;
}

void ResetHost() {
  State() = HostState{};
  ResetDialogs();
}

}  // namespace host

int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                   unsigned style) {
  host::HostState& s = host::State();
  host::UiEvent event;
  event.kind = host::UiEvent::Kind::kMessageBox;
  event.text = text;
  event.caption = caption;
  event.style = style;
  event.owner = owner == nullptr ? "none" : owner->name;
  s.events.push_back(event);
  if (s.echo != nullptr) {
    std::fprintf(s.echo, "%s: %s\n", host::Narrow(caption).c_str(), host::Narrow(text).c_str());
  }
  if (s.answers.empty()) return kIdOk;
  const int answer = s.answers.front();
  s.answers.pop_front();
  return answer;
}

void Beep(unsigned soundType) {
  host::UiEvent event;
  event.kind = host::UiEvent::Kind::kBeep;
  event.sound = soundType;
  host::State().events.push_back(event);
}

void PostQuit(int exitCode) {
  host::State().quit = true;
  host::State().quitCode = exitCode;
}

}  // namespace platform
