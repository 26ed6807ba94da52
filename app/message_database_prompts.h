#pragma once

#include "data/database_prompts.h"

namespace tillora {

// The database questions and notices of the start, shown as the program's message boxes.
class MessageDatabasePrompts : public DatabasePrompts {
  public:
    bool askYesNo(const QString& text) override;
    void tell(const QString& text) override;
    bool askRetry(const QString& text) override;
    Answer askYesNoCancel(const QString& text) override;
};

}  // namespace tillora
