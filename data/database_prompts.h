#pragma once

#include <QString>

namespace tillora {

// The questions and notices of opening the database at start; the shell shows them through its
// message service.
class DatabasePrompts {
  public:
    enum class Answer { Yes, No, Cancel };

    virtual ~DatabasePrompts() = default;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    virtual void tell(const QString& text) = 0;
    // Retry / Cancel; true for Retry.
    virtual bool askRetry(const QString& text) { return askYesNo(text); }
    virtual Answer askYesNoCancel(const QString& text) {
        return askYesNo(text) ? Answer::Yes : Answer::No;
    }
};

}  // namespace tillora
