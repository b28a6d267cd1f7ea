// Commands from outside the window (the desktop's media controls over D-Bus) run from the
// event loop, never inside an open question: the bus is answered at once, and a command
// that came while a message box or question was open runs after its answer.
#pragma once

#include <QObject>

#include <functional>

namespace lirra {

// Runs `work` on `context`'s thread once no modal window is open (checked every 100 ms
// while one is). Commands keep the order they came in.
void RunWhenNoQuestionIsOpen(QObject* context, std::function<void()> work);

}  // namespace lirra
