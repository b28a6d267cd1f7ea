#include "after_questions.h"

#include <QApplication>
#include <QTimer>

namespace lirra {

void RunWhenNoQuestionIsOpen(QObject* context, std::function<void()> work) {
  QTimer::singleShot(0, context, [context, work = std::move(work)]() mutable {
    if (QApplication::activeModalWidget()) {
      // The question's own event loop runs this: wait for its answer instead of stopping,
      // say, inside the lyrics' save question that a stop asked.
      QTimer::singleShot(100, context, [context, work = std::move(work)]() mutable {
        RunWhenNoQuestionIsOpen(context, std::move(work));
      });
      return;
    }
    work();
  });
}

}  // namespace lirra
