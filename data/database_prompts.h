#pragma once

#include <QString>

namespace tillora {

// The questions and notices of opening the database at start; the shell shows them through its
// message service.
class DatabasePrompts {
  public:
    virtual ~DatabasePrompts() = default;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    virtual void tell(const QString& text) = 0;
};

}  // namespace tillora
