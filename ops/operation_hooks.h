// What an operation needs from the front end that runs it: the operator's answer to a
// question, and a sign that it is at work. The window asks in a message box and
// disables itself; the shell asks on the terminal or takes --yes. Outcomes come back
// as values; the texts are for people.
#pragma once

#include "runtime/string.h"

struct OperationHooks {
  // The operator's answer to a yes-or-no question; nullptr: every question is answered
  // yes. A stop request declines every question (runtime/message_box.h).
  bool (*confirm)(const String& question) = nullptr;
  // Called with true before the operation's work on the units begins and with false
  // after it ends, also when it ends early.
  void (*working)(bool busy) = nullptr;
};

// The answer, yes when nobody is asked.
bool Confirmed(const OperationHooks& hooks, const String& question);

// Calls working(true) now and working(false) when it goes out of scope.
class WorkingScope {
 public:
  explicit WorkingScope(const OperationHooks& hooks);
  ~WorkingScope();
  WorkingScope(const WorkingScope&) = delete;
  WorkingScope& operator=(const WorkingScope&) = delete;

 private:
  const OperationHooks& hooks_;
};
